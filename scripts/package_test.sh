#!/usr/bin/env bash
# Builds the Debian package (after scripts/setup.sh) and has lintian check
# it, installs it with dpkg -i, runs the installed program from an empty
# folder, checks its manual page, menu entry, AppStream metadata, bash
# completion and hardening, then removes it and checks that nothing of it is
# left. It installs into the system, so it runs as root (CI runs it on a
# throwaway machine); an installed pqn is removed first.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "package_test.sh installs into the system: run it as root" >&2
  exit 1
fi
fail() { echo "package test: $*" >&2; exit 1; }
source scripts/lib/packages.sh
ensure_packages lintian devscripts appstream file

(cd build && cpack -G DEB > cpack.log 2>&1) || fail "cpack: $(tail -n 5 build/cpack.log)"
deb="$(ls build/pqn_*_amd64.deb)"
echo "package: $deb, $(du -k "$deb" | cut -f1) kB"
# No error and no warning; information tags are printed.
lintian --display-info "$deb" 2>/dev/null > build/lintian.txt || true
cat build/lintian.txt
if grep -q "^[EW]:" build/lintian.txt; then fail "lintian: $(grep "^[EW]:" build/lintian.txt)"; fi
dpkg -r pqn > /dev/null 2>&1 || true

# Images made for containers may leave manual pages out of every install.
start=$(date +%s%N)
dpkg --path-include='/usr/share/man/man6/pqn.6.gz' -i "$deb" > /dev/null
echo "installed in $(( ($(date +%s%N) - start) / 1000000 )) ms"
dpkg -L pqn | sort > build/package-files.txt

empty="$(mktemp -d)"
(
  cd "$empty"
  [ "$(command -v pqn)" = /usr/bin/pqn ] || fail "pqn on the PATH is $(command -v pqn), not the installed one"
  pqn --version | grep -q "^pqn " || fail "pqn --version"
  pqn --headless --scene 9 --fps 10 > "$empty/run.log" 2>&1 || fail "the installed show ended with $?: $(tail -n 5 "$empty/run.log")"
  if grep -q "Kestrel Error" "$empty/run.log"; then fail "message boxes: $(grep "Kestrel Error" "$empty/run.log" | sort | uniq -c)"; fi
  [ -z "$(ls -A "$empty" | grep -v '^run.log$')" ] || fail "the show wrote into the folder it was started in"
)
rm -rf "$empty"
man -w pqn | grep -q "man6/pqn.6" || fail "man -w pqn: $(man -w pqn 2>&1)"
desktop-file-validate /usr/share/applications/pqn.desktop || fail "the desktop entry does not validate"
appstreamcli validate --no-net /usr/share/metainfo/example.pqn.Pqn.metainfo.xml || fail "the AppStream metadata does not validate"
grep -q 'release version="'"$(pqn --version | cut -d' ' -f2)"'"' /usr/share/metainfo/example.pqn.Pqn.metainfo.xml ||
  fail "the AppStream release is not the package's version"
for shot in cube-letters title-reveal greetings cube-wall; do
  file "/usr/share/pqn/screenshots/$shot.png" | grep -q "1280 x 720" || fail "the screenshot $shot is not 1280x720"
done
bash tests/completion_test.sh /usr/share/bash-completion/completions/pqn /usr/bin/pqn || fail "the bash completion"
# Stack clash protection and control flow integrity are not among Debian 12's
# build flags; hardening-check's exit status counts them, so each line is read.
hardening-check /usr/bin/pqn > build/hardening.txt || true
cat build/hardening.txt
for check in "Position Independent Executable" "Stack protected" "Fortify Source functions" "Read-only relocations" "Immediate binding"; do
  grep -q "$check: yes" build/hardening.txt || fail "not hardened: $(grep "$check" build/hardening.txt)"
done

dpkg -P pqn > /dev/null
while read -r path; do
  [ -d "$path" ] && continue
  [ -e "$path" ] && fail "$path is left after removal"
done < build/package-files.txt
for dir in /usr/share/pqn /usr/share/doc/pqn; do
  [ ! -e "$dir" ] || fail "$dir is left after removal"
done
echo "package test passed"
