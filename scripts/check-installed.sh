#!/bin/sh
# Runs inside a fresh Debian root where the Ravolt package was just
# installed (scripts/check-package.sh copies it there): an ordinary user
# starts the installed program offscreen, it writes its backup, journal,
# event book and settings into that user's folders and ends cleanly on
# SIGTERM; then the package is purged and must leave none of its files.
# Argument: the package's version.
set -eu
version=$1
fail() { echo "check-installed: $*" >&2; exit 1; }

[ "$(dpkg-query -W -f='${Version}' ravolt)" = "$version" ] || fail "ravolt $version is not installed"
files=$(dpkg -L ravolt)

useradd --create-home timer
home=/home/timer
data=$home/.local/share/Quintaro/Ravolt
journal=$data/Journal/Journal-$(date +%Y-%m-%d).txt
setpriv --reuid=timer --regid=timer --init-groups --reset-env \
    env HOME=$home LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen ravolt >/tmp/ravolt.log 2>&1 &
pid=$!
# Started once the journal has its first line (at most a minute).
i=0
until grep -qs "Programmstart" "$journal"; do
    kill -0 "$pid" 2>/dev/null || { cat /tmp/ravolt.log >&2; fail "ravolt ended by itself"; }
    i=$((i + 1))
    [ "$i" -le 600 ] || { kill -KILL "$pid"; fail "no journal after 60 s"; }
    sleep 0.1
done
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
cat /tmp/ravolt.log
[ "$status" -eq 0 ] || fail "ravolt exited with $status after SIGTERM"
if grep -Ei "driver not loaded|could not (load|find)|cannot load" /tmp/ravolt.log; then
    fail "a Qt plugin is missing"
fi

grep -q "Programmstart Ravolt $version\$" "$journal" || fail "the journal does not start with version $version"
[ "$(tail -n 1 "$journal" | sed 's/.*  //')" = "Programmende" ] || fail "the journal does not end with Programmende"
for f in "$data/Ravolt-Sicherungsdatei.txt" "$home/.config/Quintaro/ravolt.conf" "$journal" \
         "$(ls "$data"/Veranstaltungen/*.ravolt 2>/dev/null | head -n 1)"; do
    [ -f "$f" ] || fail "not written: $f"
    [ "$(stat -c %U "$f")" = timer ] || fail "not the user's: $f"
done
echo "check-installed: ravolt $version ran as an ordinary user and wrote into $home"

DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -q ravolt
dpkg-query -W ravolt >/dev/null 2>&1 && fail "ravolt is still known to dpkg"
left=""
for f in $files /usr/share/ravolt /usr/share/doc/ravolt; do
    if [ -f "$f" ] || [ -L "$f" ] || [ "${f##*/}" = ravolt ] && [ -e "$f" ]; then
        left="$left $f"
    fi
done
[ -z "$left" ] || fail "left after purge:$left"
echo "check-installed: purged without leftovers"
