#!/usr/bin/env bash
# `cpack -G DEB` in the build folder makes a package for /usr that holds
# what it promises, with dependencies computed from the binary.
set -euo pipefail
build="${1:?usage: $0 BUILD_DIR}"
fail() { echo "FAIL: $*" >&2; exit 1; }
out="$(mktemp -d /tmp/vorel-deb-XXXXXX)"
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb="$(ls "$out"/vorel_*.deb)"
contents="$(dpkg-deb -c "$deb" | awk '{print $1 " " $6}')"
for f in ./usr/bin/vorel ./usr/share/applications/vorel.desktop \
         ./usr/share/icons/hicolor/scalable/apps/vorel.svg \
         ./usr/share/kio/servicemenus/vorel.desktop ./usr/share/nemo/actions/vorel.nemo_action \
         ./usr/share/file-manager/actions/vorel.desktop ./usr/share/vorel/nautilus/Vorel \
         ./usr/share/doc/vorel/copyright ./usr/share/man/man1/vorel.1.gz; do
  grep -q " $f\$" <<<"$contents" || fail "package lacks $f"
done
[ -d "$(dirname "$0")/../../help" ] && { grep -q ' ./usr/share/doc/vorel/help/index.html$' <<<"$contents" || fail "package lacks the help"; }
grep -q '^-rwxr-xr-x ./usr/bin/vorel$' <<<"$contents" || fail "program not executable"
# Nothing outside /usr, nothing from the build machine's home.
grep -v ' ./usr' <<<"$contents" | grep -vx 'drwxr-xr-x ./' && fail "files outside /usr"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "dependencies not computed: $(dpkg-deb -f "$deb" Depends)"
recommends="$(dpkg-deb -f "$deb" Recommends)"
grep -q 'qt6-translations-l10n' <<<"$recommends" || fail "Qt translations not recommended"
grep -qF 'fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic' <<<"$recommends" || fail "no Japanese font recommended: $recommends"
# No error, and only the warnings the package overrides with a reason.
lintian --fail-on error,warning "$deb" || fail "lintian"
mkdir "$out/x" && dpkg-deb -x "$deb" "$out/x"
grep -qx 'Exec="/usr/bin/vorel" %F' "$out/x/usr/share/applications/vorel.desktop" || fail "Exec line"
desktop-file-validate "$out/x/usr/share/applications/vorel.desktop"
licence_in_package="$(awk 'f; /^License: Expat$/ { if (++n == 2) f = 1 }' "$out/x/usr/share/doc/vorel/copyright" |
                     sed 's/^ \.$//; s/^ //')"
[ "$licence_in_package" = "$(sed -n '/^Permission/,$p' "$(dirname "$0")/../../LICENSE")" ] ||
  fail "the package's copyright does not match LICENSE"
echo "deb: passed"
