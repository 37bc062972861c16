#!/bin/busybox sh
# First process of the test guest: loads the modules, mounts the host's root read-only with the
# writable share at its own path, and runs the share's command in it. ferrolux_share comes
# from the kernel command line.
/bin/busybox mkdir -p /sbin /usr/bin /usr/sbin
/bin/busybox --install -s
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
for module in $(cat /modules/order); do
  insmod "/modules/$module" || echo "init: insmod $module failed"
done
opts=trans=virtio,version=9p2000.L,msize=512000
mount -t 9p -o "$opts,ro,cache=loose" hostroot /newroot || { echo "init: cannot mount the host's root"; poweroff -f; }
for dir in run dev/shm; do mount -t tmpfs -o mode=1777 tmpfs "/newroot/$dir" 2>/dev/null; done
# /tmp stays the host's, written in memory: a checkout or a build under /tmp is still seen.
mkdir -p /newroot/run/tmp-upper /newroot/run/tmp-work
mount -t overlay overlay -o lowerdir=/newroot/tmp,upperdir=/newroot/run/tmp-upper,workdir=/newroot/run/tmp-work /newroot/tmp ||
  { echo "init: cannot put an overlay on /tmp"; poweroff -f; }
chmod 1777 /newroot/tmp
# After /tmp: the share may lie below it.
mount -t 9p -o "$opts" share "/newroot$ferrolux_share" || { echo "init: cannot mount the share"; poweroff -f; }
mount --move /dev /newroot/dev
mkdir -p /newroot/dev/pts /newroot/dev/shm
ln -sf /proc/self/fd /newroot/dev/fd
for n in 0 1 2; do ln -sf /proc/self/fd/$n /newroot/dev/$(echo stdin stdout stderr | cut -d' ' -f$((n + 1))); done
mount -t devpts -o newinstance,ptmxmode=0666 devpts /newroot/dev/pts
mount -t tmpfs -o mode=1777 tmpfs /newroot/dev/shm
mount --move /proc /newroot/proc
mount --move /sys /newroot/sys
cat >/newroot/run/guest <<GUEST
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/run/home
export XDG_RUNTIME_DIR=/run/user/0 TMPDIR=/tmp LANG=C.UTF-8
mkdir -p \$HOME && mkdir -m 700 -p \$XDG_RUNTIME_DIR
ip link set lo up
sh "$ferrolux_share/command" </dev/null >/dev/console 2>&1
echo \$? >"$ferrolux_share/status"
sync
poweroff -f
GUEST
exec switch_root /newroot /bin/busybox sh /run/guest
