#!/usr/bin/env bash
# Boots Debian's own kernel under QEMU with this machine's root file system shared read-only
# over 9p and runs one command inside, as root, with the kernel's CAN stack loaded (can, raw,
# bcm, gw, vcan, vxcan, slcan). The kernel package is downloaded and unpacked into the work
# folder, never installed. Output comes back through a writable share: the work folder's
# run/ is writable at the same path inside, everything else is read-only, /tmp, /run and HOME
# are fresh tmpfs.
#
#   tests/vm/run-in-vm.sh WORKDIR COMMAND [ARG...]
#
# Exits with the command's status; 125 and a message when the guest does not boot or does not
# report back within VM_TIMEOUT seconds (default 900).
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 WORKDIR COMMAND [ARG...]" >&2; exit 2; }
work=$(realpath -m "$1")
shift
here=$(dirname "$(realpath "$0")")
timeout_s=${VM_TIMEOUT:-900}
fail() { echo "run-in-vm: $*" >&2; exit 125; }

for tool in qemu-system-x86_64 busybox apt-get dpkg-deb; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/bootstrap.sh installs it)"
done
mkdir -p "$work"

# The kernel: the one linux-image-amd64 depends on, unpacked once.
kroot=$work/kernel
if [ ! -f "$kroot/ready" ]; then
  package=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n1)
  [ -n "$package" ] || fail "apt-cache knows no linux-image-amd64 (run apt-get update)"
  rm -rf "$kroot" && mkdir -p "$kroot/deb"
  (cd "$kroot/deb" && apt-get download -q "$package" >/dev/null 2>&1) || fail "apt-get download $package failed"
  dpkg-deb -x "$kroot"/deb/*.deb "$kroot/root"
  rm -rf "$kroot/deb"
  touch "$kroot/ready"
fi
vmlinuz=$(ls "$kroot"/root/boot/vmlinuz-* | head -n1)
release=${vmlinuz##*/vmlinuz-}
moddir=$kroot/root/lib/modules/$release

# The initramfs: static busybox, the modules in dependency order, and the init below.
initrd=$work/initrd-$release.cpio
if [ ! -f "$initrd" ] || [ "$here/init.sh" -nt "$initrd" ] || [ "$0" -nt "$initrd" ]; then
  [ -f "$moddir/modules.dep" ] || busybox depmod -b "$kroot/root" "$release"
  tree=$work/initrd-tree
  rm -rf "$tree" && mkdir -p "$tree"/{bin,dev,proc,sys,newroot,modules}
  cp /bin/busybox "$tree/bin/busybox"
  file "$tree/bin/busybox" 2>/dev/null | grep -q 'dynamically' && fail "/bin/busybox is not static (install busybox-static)"
  cp "$here/init.sh" "$tree/init" && chmod 755 "$tree/init"
  declare -A loaded=()
  load() {  # $1: path relative to the module folder; its dependencies first
    [ -n "${loaded[$1]:-}" ] && return 0
    loaded[$1]=1
    local deps
    deps=$(sed -n "s|^$1: *||p" "$moddir/modules.dep")
    for dep in $deps; do load "$dep"; done
    cp "$moddir/$1" "$tree/modules/"
    echo "${1##*/}" >>"$tree/modules/order"
  }
  for name in virtio_pci 9pnet_virtio 9p overlay can can-raw can-bcm can-gw vcan vxcan can-dev slcan; do
    path=$(grep -o "^[^:]*/$name\.ko:" "$moddir/modules.dep" | tr -d ':' | head -n1)
    [ -n "$path" ] || fail "module $name is not in $release"
    load "$path"
  done
  (cd "$tree" && find . | busybox cpio -o -H newc >"$initrd.part" 2>/dev/null) && mv "$initrd.part" "$initrd"
fi

# The command, run by the guest in the host's root file system.
share=$work/run
rm -rf "$share" && mkdir -p "$share"
{
  echo "cd $(printf '%q' "$PWD")"
  printf '%q ' "$@"
  echo
} >"$share/command"

console=$share/console.log
status=0
timeout --kill-after=10 "$timeout_s" qemu-system-x86_64 \
  -accel tcg -cpu max -m "${VM_MEMORY:-1024}" -smp "${VM_CPUS:-1}" -nodefaults -no-user-config -no-reboot \
  -display none -serial "file:$console" \
  -kernel "$vmlinuz" -initrd "$initrd" \
  -append "console=ttyS0 loglevel=3 panic=-1 ferrolux_share=$share" \
  -fsdev local,id=hostroot,path=/,security_model=none,readonly=on,multidevs=remap \
  -device virtio-9p-pci,fsdev=hostroot,mount_tag=hostroot \
  -fsdev local,id=share,path="$share",security_model=none,multidevs=remap \
  -device virtio-9p-pci,fsdev=share,mount_tag=share \
  </dev/null || status=$?

tr -d '\r' <"$console" | sed -e '/^\[ *[0-9.]*\] /d' || true
if [ ! -f "$share/status" ]; then
  [ $status -eq 124 ] && echo "run-in-vm: the guest did not finish within ${timeout_s} s" >&2
  echo "run-in-vm: the guest did not report back (qemu exit $status); its console:" >&2
  tr -d '\r' <"$console" | tail -n 40 >&2
  exit 125
fi
exit "$(cat "$share/status")"
