#!/bin/sh
# Builds the Debian package, checks it, installs it on this machine, uses it and
# purges it again: nothing of it may stay behind. Needs root (or sudo).
set -eu
cd "$(dirname "$0")/../.."
SUDO=$([ "$(id -u)" = 0 ] || echo sudo)
apt() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get "$@" </dev/null; }
fail() { echo "FAIL: $*"; exit 1; }

make package </dev/null
deb=$(ls quorbel_*.deb)
version=$(dpkg-deb -f "$deb" Version)

# The package itself: lintian fails on errors and shows warnings.
lintian --fail-on error "$deb"

# Minimal images exclude manual pages from every install (dpkg path-exclude);
# ours is let in, so that what is checked is the page the package ships.
man=/usr/share/man/man1/quorbel.1.gz
include=""
while IFS= read -r pattern; do
    # shellcheck disable=SC2254
    case $man in $pattern) include="-o DPkg::Options::=--path-include=$man" ;; esac
done <<PATTERNS
$(sed -n 's/^path-exclude[= ]*//p' /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/* 2>/dev/null)
PATTERNS
[ -z "$include" ] || echo "dpkg excludes manual pages here; installing ours all the same"

work=$(mktemp -d)
installed=""
cleanup() {
    [ -z "$installed" ] || apt purge -y -qq quorbel >/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

installed=yes
# shellcheck disable=SC2086
apt install -y -qq $include "./$deb" || { apt update -qq && apt install -y -qq $include "./$deb"; }
dpkg -L quorbel >"$work/files"

[ "$(quorbel --version)" = "quorbel $version" ] || fail "quorbel --version does not say $version"
XDG_CONFIG_HOME=$work/config quorbel --convert --size 16,32,48 --to "$work" \
    /usr/lib/quorbel/Samples/star.png || fail "quorbel --convert"
[ "$(od -An -tx1 -N4 "$work/star.ico" | tr -d ' ')" = 00000100 ] || fail "no icon made"

[ "$(man -w quorbel)" = "$man" ] || fail "man -w quorbel does not find $man"
out=$(desktop-file-validate /usr/share/applications/quorbel.desktop 2>&1) || fail "desktop entry: $out"
[ -z "$out" ] || fail "desktop entry: $out"
appstreamcli validate --no-net "$(grep "^/usr/share/metainfo/.*\.xml$" "$work/files")" || fail "AppStream metainfo"
for size in 16 24 32 48 64 128 256; do
    icon=/usr/share/icons/hicolor/${size}x$size/apps/quorbel.png
    [ "$(identify-im6.q16 -format %wx%h "$icon")" = "${size}x$size" ] || fail "icon $icon"
done
completion=$(bash -c '. /usr/share/bash-completion/completions/quorbel
    COMP_WORDS=(quorbel --s); COMP_CWORD=1; _quorbel; echo "${COMPREPLY[*]}"')
[ "$completion" = --size ] || fail "completion of --s gives '$completion'"

installed=""
apt purge -y -qq quorbel
status=$(dpkg-query -W -f='${Status}' quorbel 2>/dev/null || true)
case $status in "" | *not-installed) ;; *) fail "dpkg still has quorbel: $status" ;; esac
# Folders shared with other packages stay; our own files and folders must go.
while IFS= read -r path; do
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        case $path in *quorbel*) fail "$path is left behind" ;; esac
        [ -n "$(ls -A "$path")" ] || dpkg -S "$path" >/dev/null 2>&1 ||
            fail "the empty folder $path is left behind"
    elif [ -e "$path" ] || [ -L "$path" ]; then
        fail "$path is left behind"
    fi
done <"$work/files"
echo "package $deb: installed, used and purged"
