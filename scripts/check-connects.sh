#!/usr/bin/env bash
# Every connection to a lambda must name a context object, so that the slot
# dies with its receiver and never runs on a destroyed object. Qt 6.4 has no
# switch for this, so the sources are searched for connect(sender, &signal,
# [lambda]) and singleShot(ms, [lambda]) without a context. Prints each hit
# and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
dirs=(platform artwork controls grid display protocol serial sim journal timing results app tests bench fuzz)
perl -0777 -ne '
    while (/\b(connect\(\s*[^,;()]+(?:\([^()]*\))?\s*,\s*&[\w:]+\s*,\s*\[|singleShot\(\s*[^,;()]+\s*,\s*\[)/g) {
        my $line = 1 + (substr($_, 0, $-[0]) =~ tr/\n//);
        print "$ARGV:$line: connection to a lambda without a context object\n";
        $found = 1;
    }
    END { exit($found ? 1 : 0) }
' $(find "${dirs[@]}" -name '*.cpp' -o -name '*.h' | sort)
