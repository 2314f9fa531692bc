#!/bin/sh
# The Debian package: built by CPack, unpacked into a temporary root (not installed), its
# solver run, its links, help file, Depends, manual pages and icons checked, and its desktop
# entry and AppStream metainfo validated.
build=$1
examples=$2
has_help=$3 # 1 when the build makes vantrel.chm
libdir=$4   # the executables' folder below /usr
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$work/vantrel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb: $(ls "$work")"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6 libqt6printsupport6; do
    echo "$depends" | grep -q "$library" || fail "Depends lacks $library: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
for program in vantrel vantrel-solve; do
    [ -L "$root/usr/bin/$program" ] || fail "/usr/bin/$program is not a link"
    [ "$(readlink -f "$root/usr/bin/$program")" = "$(readlink -f "$root/usr/$libdir/$program")" ] ||
        fail "/usr/bin/$program is not a link to /usr/$libdir/$program"
    [ -x "$root/usr/$libdir/$program" ] || fail "no executable /usr/$libdir/$program"
done
if [ "$has_help" = 1 ]; then
    [ -f "$root/usr/$libdir/vantrel.chm" ] || fail "vantrel.chm is not beside the calculator"
fi
out=$("$root/usr/bin/vantrel-solve" "$examples/triple.vtl") || fail "unpacked solver exit $?"
[ "$out" = "1.75" ] || fail "unpacked solver printed '$out'"

desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$work/as.log" 2>&1 ||
    fail "metainfo: $(cat "$work/as.log")"
grep -q '<glob pattern="\*.vtl"/>' "$root/usr/share/mime/packages/vantrel.xml" &&
    grep -q '<match type="string" offset="0" value="Vantrel"/>' \
        "$root/usr/share/mime/packages/vantrel.xml" || fail "MIME type"
icons="$root/usr/share/icons/hicolor"
[ -f "$icons/scalable/apps/org.vantrel.Vantrel.svg" ] || fail "no SVG icon"
for size in 16 32 48 256; do
    file "$icons/${size}x$size/apps/org.vantrel.Vantrel.png" | grep -q "$size x $size" ||
        fail "no $size pixel icon"
done

# Every option of the solver and every exit status is in its manual page.
man="$root/usr/share/man/man1"
[ -f "$man/vantrel.1.gz" ] || fail "no vantrel(1)"
page=$(zcat "$man/vantrel-solve.1.gz" | sed 's/\\-/-/g')
for option in $("$root/usr/bin/vantrel-solve" --help | grep -o -- '--[a-z]*' | sort -u); do
    echo "$page" | grep -q -- "$option" || fail "vantrel-solve(1) lacks $option"
done
echo "$page" | grep -q '^\.SH "\?EXIT STATUS' || fail "vantrel-solve(1) has no exit status"
echo "package as expected"
