#!/usr/bin/env bash
# The programs as a user installs them: `cmake --install` into an empty root, then what a desktop
# and a shell do with the installed files (menu entry, software-centre description, file types,
# manual pages, completion), both programs run from there finding their data, and the Debian
# package made from the same rules.
set -u
build="$1"; source="$2"; scratch="$3"
demo="$source/data/demo.tr4"
rm -rf "$scratch"; mkdir -p "$scratch/work"
fail=0
no() { echo "FAILED: $*"; fail=1; }
for tool in identify desktop-file-validate appstreamcli update-mime-database gio man dpkg-deb cpack; do
  command -v "$tool" > /dev/null || { echo "FAILED: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done

echo "== install into an empty root"
root="$scratch/root"
DESTDIR="$root" cmake --install "$build" --prefix /usr > "$scratch/install.log" ||
  { cat "$scratch/install.log"; no "cmake --install"; exit 1; }
expected=$(printf '%s\n' bin/qavel bin/qavel-cli libexec/qavel/qavel-pictures \
  share/applications/qavel.desktop share/bash-completion/completions/qavel-cli \
  share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/qavel.png \
  share/icons/hicolor/scalable/apps/qavel.svg share/man/man1/{qavel,qavel-cli}.1.gz \
  share/metainfo/io.github.qavel.Qavel.metainfo.xml share/mime/packages/qavel.xml \
  share/qavel/{colored.bmp,demo.tr4,texture1.jpg,trcatalog.xml} | LC_ALL=C sort)
installed=$(cd "$root/usr" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$installed" = "$expected" ] || { no "installed files"; diff <(echo "$expected") <(echo "$installed"); }
for size in 16 32 256; do
  [ "$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x$size/apps/qavel.png")" = \
    "${size}x$size" ] || no "the $size x $size icon"
done
bin="$root/usr/bin"

echo "== versions and help without a display"
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$@"; }
version=$(nodisplay "$bin/qavel" --version) || no "qavel --version"
cli_version=$(nodisplay "$bin/qavel-cli" --version) || no "qavel-cli --version"
[[ $version =~ ^qavel\ [0-9]+\.[0-9]+ ]] || no "qavel --version says '$version'"
[ "${cli_version#qavel-cli }" = "${version#qavel }" ] || no "versions differ: $version, $cli_version"
if git -C "$source" rev-parse --git-dir > /dev/null 2>&1; then
  commit=$(git -C "$source" rev-parse --short=10 HEAD)
  [[ $version == *"(commit $commit"* ]] || no "version without the checkout's commit $commit: $version"
fi
nodisplay "$bin/qavel" --help | head -n 1 | grep -q "^Usage: qavel " || no "qavel --help"
help=$(nodisplay "$bin/qavel-cli" --help) || no "qavel-cli --help"
# The groups in their order, each listing its commands sorted by name.
headings=$(echo "$help" | grep " commands:$" | tr '\n' ' ')
[ "$headings" = "Inspect commands: Edit commands: Exchange commands: View commands: Other commands: " ] ||
  no "the groups of --help: $headings"
echo "$help" | awk '/ commands:$/ { if (n) print ""; n = 1; next } /^[^ ]/ { n = 0 } n && /^  [^ ]/ { printf "%s ", $1 }' \
  > "$scratch/groups"
while read -r group; do
  [ "$group" = "$(tr ' ' '\n' <<< "$group" | LC_ALL=C sort | paste -sd ' ' -)" ] || no "not sorted: $group"
done < <(sed 's/ $//' "$scratch/groups")
commands=$(tr -s ' \n' '\n\n' < "$scratch/groups" | LC_ALL=C sort | paste -sd ' ' -)
render_help=$("$bin/qavel-cli" help render) || no "qavel-cli help render"
[[ $render_help == "Usage: qavel-cli render LEVEL ROOM OUT.png"* && $render_help == *--wireframe-room* ]] ||
  no "qavel-cli help render: $render_help"
[ "$("$bin/qavel-cli" render --help)" = "$render_help" ] || no "qavel-cli render --help"
"$bin/qavel-cli" help no-such-command > /dev/null 2> "$scratch/err"
[ $? = 2 ] && grep -q "unknown command 'no-such-command'" "$scratch/err" || no "help of an unknown command"

echo "== desktop entry and software-centre description"
desktop-file-validate "$root/usr/share/applications/qavel.desktop" || no "desktop-file-validate"
metainfo="$root/usr/share/metainfo/io.github.qavel.Qavel.metainfo.xml"
appstreamcli validate --no-net "$metainfo" > "$scratch/appstream" ||
  { cat "$scratch/appstream"; no "appstreamcli validate"; }
release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
[[ ${version#qavel } == "$release"* ]] || no "the newest release ($release) is not this version ($version)"

echo "== level files known by type"
mime="$scratch/xdg/mime"
mkdir -p "$mime/packages"
cp "$root/usr/share/mime/packages/qavel.xml" "$mime/packages/"
update-mime-database "$mime" 2> "$scratch/mime.err" || { cat "$scratch/mime.err"; no "update-mime-database"; }
for name in a.phd a.tub a.tr2 a.trg a.tr4 a.trc CITY.TR4 a.dat; do
  cp "$demo" "$scratch/$name"
  type=$(XDG_DATA_DIRS="$scratch/xdg:/usr/share" XDG_DATA_HOME="$scratch/xdg" \
    gio info -a standard::content-type "$scratch/$name" | sed -n 's/.*standard::content-type: //p')
  want=application/x-tomb-raider-level
  [ "$name" = a.dat ] && want=application/octet-stream
  [ "$type" = "$want" ] || no "$name is $type, not $want"
done

echo "== manual pages"
for page in qavel qavel-cli; do
  MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" > "$scratch/$page.txt" \
    2> "$scratch/$page.err" || no "man -l $page"
  [ -s "$scratch/$page.err" ] && { no "man warns about $page"; cat "$scratch/$page.err"; }
  for section in NAME SYNOPSIS OPTIONS FILES; do
    grep -q "^$section" "$scratch/$page.txt" || no "man $page has no $section"
  done
done
# Made from the program it describes: every command, each an entry of its own.
for c in $commands; do grep -q "^ *$c " "$scratch/qavel-cli.txt" || no "man qavel-cli lacks $c"; done

echo "== bash completion"
completion="$root/usr/share/bash-completion/completions/qavel-cli"
complete_line() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _qavel_cli
           printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd " " -' _ "$completion" "$@"
}
[ "$(complete_line qavel-cli '')" = "$(printf '%s\n' --help --version help $commands | LC_ALL=C sort | paste -sd ' ' -)" ] ||
  no "completion of the command: $(complete_line qavel-cli '')"
[ "$(complete_line qavel-cli ren)" = render ] || no "completion of ren"
[ "$(complete_line qavel-cli render a.tr4 0 b.png --wire)" = "--wireframe-objects --wireframe-room" ] ||
  no "completion of render's view options: $(complete_line qavel-cli render a.tr4 0 b.png --wire)"
[ "$(complete_line qavel-cli help import-)" = "import-dxf import-msh import-zqp" ] || no "completion after help"
[ -z "$(complete_line qavel-cli info a)" ] || no "a level name is left to the shell's file completion"

echo "== the installed qavel-cli finds its data"
cd "$scratch/work"  # no picture here: the working folder's would come first
"$bin/qavel-cli" items "$demo" > items.txt 2> items.err || no "items: $(cat items.err)"
grep -q "^0\.-Lara" items.txt || no "items without the catalog's names: $(head -n 3 items.txt)"
# The level commands load no Qt, image or OpenGL library; the picture commands run the helper
# program in libexec/qavel, which finds the same data folder (render below misses no picture).
needed=$(readelf -d "$bin/qavel-cli" | grep NEEDED)
grep -E -i "qt|gl|png|jpeg|icu|x11|xcb" <<< "$needed" && no "qavel-cli loads what only pictures need"
rendered=0
if [ -z "${DISPLAY:-}" ]; then
  echo "no display (run under xvfb-run): render not tried"
elif "$bin/qavel-cli" render "$demo" 0 room.png > /dev/null 2> render.err; then
  rendered=1
  [ -s room.png ] || no "render wrote no picture"
  grep -q "Error loading texture" render.err && no "render without its pictures: $(cat render.err)"
elif grep -q "without OpenGL" render.err; then
  echo "no OpenGL 3.3 here: render not tried"
else
  no "render: $(cat render.err)"
fi
# Taken away from the data folder, they are missed: they were read from there.
rm "$root/usr/share/qavel/trcatalog.xml" "$root/usr/share/qavel/texture1.jpg"
"$bin/qavel-cli" items "$demo" > items.txt 2> /dev/null
grep -q "^0\.-Lara" items.txt && no "items found a catalog that is not installed"
if [ $rendered = 1 ]; then
  "$bin/qavel-cli" render "$demo" 0 room.png > /dev/null 2> render.err
  grep -q "Error loading texture #1" render.err || no "render found a picture that is not installed"
fi
cd "$scratch"

echo "== the Debian package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" > "$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; no "cpack"; exit 1; }
deb=$(ls "$scratch"/package/qavel_*.deb 2> /dev/null | head -n 1)
[ -n "$deb" ] || { no "no package in $scratch/package"; exit 1; }
packaged=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v '/$' | sed 's|^\./usr/||' | LC_ALL=C sort)
[ "$packaged" = "$expected" ] || { no "packaged files"; diff <(echo "$expected") <(echo "$packaged"); }
[ "$(dpkg-deb -f "$deb" Package)" = qavel ] || no "package name"
[[ ${version#qavel } == "$(dpkg-deb -f "$deb" Version)"* ]] || no "package version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
# The package names alone, one a line.
names=$(tr ',' '\n' <<< "$depends" | awk '{ print $1 }')
for lib in libc6 libqt6widgets6 libqt6opengl6 zlib1g libexpat1 qt6-qpa-plugins; do
  grep -qx "$lib" <<< "$names" || no "Depends lacks $lib: $depends"
done
dpkg-deb -x "$deb" "$scratch/unpacked"
grep -rlF -e "$build" -e "$source/data" "$scratch/unpacked" && no "build paths in the package"

exit $fail
