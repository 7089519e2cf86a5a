# Sourced by the Windows checks: with_qemu_i386 COMMAND... runs COMMAND while
# the kernel hands 32-bit x86 programs to qemu-user (binfmt_misc), for a
# kernel that cannot run them itself. Wine then starts its 32-bit loader
# under emulation; it needs the guest's address space reserved in full, and
# takes about a minute to start, so this serves output checks only.
# Returns 125 when emulation cannot be set up here (not root, no qemu-i386,
# no binfmt_misc). The registration made for COMMAND is removed afterwards.
I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
with_qemu_i386() {
  local binfmt=/proc/sys/fs/binfmt_misc registered=no status=0
  [ "$(id -u)" -eq 0 ] && [ -x /usr/bin/qemu-i386 ] || return 125
  [ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt 2>/dev/null || return 125
  if [ ! -e $binfmt/qemu-i386 ]; then
    printf '%s' ":qemu-i386:M::$I386_MAGIC:$I386_MASK:/usr/bin/qemu-i386:F" >$binfmt/register 2>/dev/null || return 125
    registered=yes
  fi
  QEMU_RESERVED_VA=0xffff0000 "$@" || status=$?
  [ $registered = no ] || echo -1 >$binfmt/qemu-i386
  return $status
}
