#!/usr/bin/env bash
# A folder uses only the folders below it. The order is RAVOLT_FOLDERS in
# CMakeLists.txt (bottom-up); every #include "X.h" of a folder's sources is
# looked up among the folders' headers and must not come from a folder
# above. A test folder under tests/ has the rights of its source folder and
# may also use sim/, the stand-ins for the hardware. Header names are unique
# across the folders, since every folder's headers share one include path.
# Prints each violation and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
read -r -a folders < <(sed -n 's/^set(RAVOLT_FOLDERS \(.*\))$/\1/p' CMakeLists.txt)
if [ "${#folders[@]}" -eq 0 ]; then
    echo "CMakeLists.txt: no RAVOLT_FOLDERS list found" >&2
    exit 1
fi
perl -e '
    my @folders = @ARGV;
    my %rank;
    @rank{@folders} = (0 .. $#folders);
    my (%owner, $failed);
    for my $folder (@folders) {
        for my $header (glob("$folder/*.h")) {
            (my $name = $header) =~ s{.*/}{};
            if (exists $owner{$name}) {
                print "$header: header name also in $owner{$name}/\n";
                $failed = 1;
            }
            $owner{$name} = $folder;
        }
    }
    sub check {
        my ($file, $folder, @extra) = @_;
        my %allowed = map { $_ => 1 } @extra;
        open(my $in, "<", $file) or die "$file: $!";
        while (my $line = <$in>) {
            next unless $line =~ /^\s*#\s*include\s+"(?:[^"]*\/)?([^"\/]+)"/;
            my $used = $owner{$1};
            next unless defined $used && $used ne $folder && !$allowed{$used};
            if ($rank{$used} > $rank{$folder}) {
                print "$file:$.: includes $1 of $used/, which is above $folder/\n";
                $failed = 1;
            }
        }
    }
    for my $folder (@folders) {
        check($_, $folder) for sort glob("$folder/*.h $folder/*.cpp");
        check($_, $folder, "sim") for sort glob("tests/$folder/*.h tests/$folder/*.cpp");
    }
    exit($failed ? 1 : 0);
' "${folders[@]}"
