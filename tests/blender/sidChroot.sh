#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes a Debian sid chroot that carries the newest Blender Debian packages,
# and beside it the wrapper that runs that Blender, so that the Blender tests
# can run on it as well as on the system's own Blender.
#
#   sidChroot.sh [FOLDER]      (as root; FOLDER defaults to /var/cache/dxf2tkm-blender)
#
# FOLDER/sid is the chroot, FOLDER/blender-sid the wrapper. A chroot made
# before is kept and only brought up to date, so that a second run costs
# seconds. The Debian mirror is the one this machine's apt already uses.
set -euo pipefail
folder=${1:-/var/cache/dxf2tkm-blender}
root=$folder/sid
wrapper=$folder/blender-sid

if [ "$(id -u)" != 0 ]; then
    echo "sidChroot.sh: making a chroot needs root" >&2
    exit 1
fi
# The first Debian archive this machine's apt sources name (one-line or
# deb822 form), leaving the security archive aside.
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -E '^[[:space:]]*(deb|URIs:)[[:space:]]' | grep -oE 'https?://[^[:space:]]+' |
    grep -vE 'security' | grep -E '/debian/?$' | head -n 1 || true)
if [ -z "$mirror" ]; then
    echo "sidChroot.sh: no Debian mirror in this machine's apt sources" >&2
    exit 1
fi
for program in debootstrap unshare chroot; do
    command -v "$program" >/dev/null || {
        echo "sidChroot.sh: needs $program (Debian package debootstrap, util-linux, coreutils)" >&2
        exit 1
    }
done

mkdir -p "$folder"
if [ ! -x "$root/usr/bin/apt-get" ]; then
    rm -rf "$root"
    debootstrap --variant=minbase sid "$root" "$mirror"
fi
# sid's Release file may be older than apt's validity window allows.
echo 'Acquire::Check-Valid-Until "false";' >"$root/etc/apt/apt.conf.d/99validUntil"
inChroot() {
    unshare --mount --propagation private -- bash -c \
        'mount -t proc proc "$0/proc" && mount --rbind /dev "$0/dev" && exec chroot "$@"' \
        "$root" "$root" "$@"
}
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
inChroot env DEBIAN_FRONTEND=noninteractive apt-get update -q
inChroot env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    blender python3-cattr python3-requests
inChroot apt-get clean

# The wrapper runs the chroot's Blender with the same paths as outside: /tmp,
# the working folder and every folder of DXF2TKM_CHROOT_BIND (colon-separated;
# never the root folder) are bound at their own paths, in a mount namespace
# of its own that ends with the run.
cat >"$wrapper.new" <<WRAPPER
#!/usr/bin/env bash
# Runs the Blender of the sid chroot $root (made by sidChroot.sh).
exec unshare --mount --propagation private -- bash -c '
    set -e
    root=\$0; binds=\$1; shift
    mount -t proc proc "\$root/proc"
    mount --rbind /dev "\$root/dev"
    mount --rbind /sys "\$root/sys"
    IFS=: read -r -a folders <<<"/tmp:\$binds"
    for path in "\${folders[@]}"; do
        [ -d "\$path" ] && [ "\$path" != / ] || continue
        mkdir -p "\$root\$path"
        mount --rbind "\$path" "\$root\$path"
    done
    exec chroot "\$root" /usr/bin/env --chdir="\$PWD" /usr/bin/blender "\$@"
' "$root" "\$PWD:\${DXF2TKM_CHROOT_BIND:-}" "\$@"
WRAPPER
chmod 755 "$wrapper.new"
mv "$wrapper.new" "$wrapper"
echo "$("$wrapper" --background --version | grep -m 1 "^Blender") in the sid chroot, run as $wrapper"
