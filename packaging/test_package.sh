#!/usr/bin/env bash
# Builds the Debian package from the built tree BUILD, unpacks it into a
# temporary root, validates its menu entry and metainfo, and starts the
# unpacked program the way the menu entry does, with an empty home, twice.
set -euo pipefail
build=$(cd "${1:?usage: test_package.sh BUILD}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# 77: skipped (tools/deps.sh lists the packages that bring these).
for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb=$(echo "$work"/out/*.deb)
[ -f "$deb" ] || fail "cpack made no .deb"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libqt6charts6 libqt6keychain1; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] \
    || fail "Depends lacks $lib: $depends"
done

root=$work/root
dpkg -x "$deb" "$root"
share=$root/usr/share
app=org.example.projectsales
for file in bin/projectsales bin/projectsales-newdb share/projectsales/Reports/Catalog.rav \
            share/projectsales/Data/css/style.css share/projectsales/Data/js/jquery.js \
            share/icons/hicolor/48x48/apps/$app.png share/icons/hicolor/256x256/apps/$app.png; do
  [ -f "$root/usr/$file" ] || fail "the package lacks /usr/$file"
done
desktop-file-validate "$share/applications/$app.desktop"
appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml" >"$work/appstream.log" \
  || { cat "$work/appstream.log"; fail "the metainfo does not validate"; }

# The menu's command, run from the unpacked tree in an empty working folder.
read -r -a menu_command < <(sed -n 's/^Exec=//p' "$share/applications/$app.desktop")
mkdir "$work/home" "$work/folder"
start() {
  local log=$1; shift
  (cd "$work/folder" && env -i PATH=/usr/bin:/bin HOME="$work/home" QT_QPA_PLATFORM=offscreen \
     timeout 60 "$@" --smoke-test) 2>"$log"
}

catalogue=$work/home/.local/share/projectsales/db.mdb
start "$work/first.log" "$root/usr/bin/${menu_command[@]}" \
  || { cat "$work/first.log"; fail "the first start from the menu failed"; }
[ -f "$catalogue" ] || fail "the first start made no catalogue at $catalogue"
grep -q '^notice: ' "$work/first.log" && grep -qF "$catalogue" "$work/first.log" \
  || { cat "$work/first.log"; fail "the first start did not say it made the catalogue"; }
grep -qx "support files: $share/projectsales" "$work/first.log" \
  || { cat "$work/first.log"; fail "the program did not find its installed support files"; }

start "$work/second.log" "$root/usr/bin/${menu_command[@]}" \
  || { cat "$work/second.log"; fail "the second start from the menu failed"; }
! grep -q '^notice:' "$work/second.log" \
  || { cat "$work/second.log"; fail "the second start made the catalogue again"; }

# A data folder that can't be made is a start-up error, not an empty start.
rm -rf "$work/home/.local/share/projectsales"
touch "$work/home/.local/share/projectsales"
if start "$work/blocked.log" "$root/usr/bin/${menu_command[@]}"; then
  fail "a start whose data folder can't be made succeeded"
fi
grep -q '^error: ' "$work/blocked.log" || { cat "$work/blocked.log"; fail "no start-up error shown"; }

# Started in a folder without db.mdb and no option, it still refuses to start.
if start "$work/folder.log" "$root/usr/bin/projectsales"; then
  fail "a start in a folder without db.mdb succeeded"
fi
grep -q '^error: ' "$work/folder.log" || { cat "$work/folder.log"; fail "no start-up error shown"; }
[ ! -e "$work/folder/db.mdb" ] || fail "a start in a folder created db.mdb there"
echo "package $(basename "$deb") checked"
