#!/usr/bin/env bash
# Runs a command with a 32-bit Wine: Debian 12's own Wine 8.0 with its 32-bit side, in an i386
# Debian 12 chroot made on first use. Where this machine cannot run i386 code itself (a kernel
# with IA-32 emulation off), the chroot's programs run under a static qemu-i386 registered for
# i386 ELF programs. Needs root; changes none of the host's packages or apt sources beyond
# installing debootstrap and arch-test from them.
#
# Usage: scripts/wine32.sh COMMAND [ARGS...]   e.g.  wine PROGRAM.exe, wineserver -k, xvfb-run ...
#        scripts/wine32.sh --setup             only make the chroot (done by the first command too)
# The checkout, the temporary folder and the Wine prefix keep their paths inside, so Windows
# paths (Z:\...), X sockets and XAUTHORITY files mean the same on both sides. Every mount lives
# in a mount namespace of this command's own, unmounted when it ends (even when interrupted) and
# never visible on the host.
# Environment: KX_WINE32_CACHE  where the chroot is kept (default /var/cache/kxcard/wine32; outside
#                               the checkout, so every clone on the machine shares it)
#              KX_WINE32_EMULATE=1  use the emulator even where i386 code runs natively
#              WINEPREFIX       the prefix (default build/wineprefix32 of the checkout); WINEARCH=win32
set -euo pipefail

checkout=$(cd "$(dirname "$0")/.." && pwd)
self=$checkout/scripts/wine32.sh
cache=${KX_WINE32_CACHE:-/var/cache/kxcard/wine32}
chroot_dir=$cache/root
ready=$cache/ready           # written last: the chroot is complete
locales_ready=$cache/locales-ready  # the Unix locales of the code pages the tests run under
# Wine takes the ANSI code page from the Unix locale: Japanese users' 932 and Western 1252.
wine_locales=(ja_JP en_US)
emulator=$cache/qemu/usr/bin/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc
rule=kxcard-i386

say() { echo "wine32: $*" >&2; }
die() { say "$*"; exit 1; }

# The Debian mirror the host's own apt uses for bookworm (deb822 or one-line sources).
host_mirror() {
  local uri
  uri=$(awk '/^URIs:/ { u = $2 } /^Suites:/ && / bookworm( |$)/ && u { print u; exit }' \
          /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' \
          /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true)
  echo "${uri:-http://deb.debian.org/debian}"
}

needs_emulator() { [ -n "${KX_WINE32_EMULATE:-}" ] || ! arch-test -n i386 >/dev/null 2>&1; }

# The static qemu-i386 of bookworm-backports' qemu-user, fetched with a private apt
# configuration (its own sources, state and cache) and unpacked, never installed.
fetch_emulator() {
  [ -x "$emulator" ] && return 0
  local apt=$cache/apt
  rm -rf "$apt" "$cache/qemu"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/download"
  echo "deb $(host_mirror) bookworm-backports main" >"$apt/sources.list"
  : >"$apt/status"
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
              -o "Dir::State=$apt" -o "Dir::State::Lists=$apt/lists" -o "Dir::State::status=$apt/status"
              -o "Dir::Cache=$apt/cache" -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
  say "fetching qemu-user from bookworm-backports (private apt configuration)"
  apt-get "${opts[@]}" update -qq
  (cd "$apt/download" && apt-get "${opts[@]}" download -qq qemu-user/bookworm-backports)
  rm -rf "$cache/qemu.part"
  dpkg-deb -x "$apt"/download/qemu-user_*.deb "$cache/qemu.part"
  mv "$cache/qemu.part" "$cache/qemu"
  rm -rf "$apt"
  [ -x "$emulator" ] || die "the qemu-user package holds no $emulator"
}

# Registers the emulator for i386 ELF programs, once per boot. Flag F: the kernel opens the
# interpreter now, so it serves inside the chroot too, where its path does not exist.
register_emulator() {
  [ -f "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ -f "$binfmt/$rule" ]; then
    if grep -qx enabled "$binfmt/$rule" && grep -qx "interpreter $emulator" "$binfmt/$rule"; then
      return 0
    fi
    echo -1 >"$binfmt/$rule"
  fi
  printf '%s' ":$rule:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$emulator:F" \
    >"$binfmt/register"
}

# Mounts the kernel's file systems in the chroot (this process's namespace only).
mount_system() {
  mount -t proc proc "$chroot_dir/proc"
  mount -t sysfs sysfs "$chroot_dir/sys"
  mount --rbind /dev "$chroot_dir/dev"
  mount --make-rslave "$chroot_dir/dev"
}

# The chroot with Wine, from nothing; run in a mount namespace of its own (see main), so the
# mounts debootstrap and apt make vanish with it even when interrupted.
build_chroot() {
  if [ -e "$chroot_dir" ]; then
    say "removing the half-made chroot $chroot_dir"
    grep -q " $chroot_dir[/ ]" /proc/self/mountinfo && die "something is mounted under $chroot_dir"
    rm -rf --one-file-system "$chroot_dir"
  fi
  local mirror
  mirror=$(host_mirror)
  say "debootstrap i386 bookworm from $mirror into $chroot_dir (a few minutes)"
  debootstrap --arch=i386 --variant=minbase bookworm "$chroot_dir" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    { tail -n 20 "$cache/debootstrap.log" >&2; die "debootstrap failed; see $cache/debootstrap.log"; }
  # The chroot's apt trusts an unchanging snapshot mirror wherever the host's does.
  if apt-config dump | grep -qx 'Acquire::Check-Valid-Until "false";'; then
    echo 'Acquire::Check-Valid-Until "false";' >"$chroot_dir/etc/apt/apt.conf.d/99kxcard-valid-until"
  fi
  mount_system
  say "installing wine wine32 xvfb xauth in the chroot"
  chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
    sh -c 'apt-get update -qq && apt-get install -y -qq --no-install-recommends wine wine32 xvfb xauth && apt-get clean' \
    >"$cache/apt-install.log" 2>&1 ||
    { tail -n 20 "$cache/apt-install.log" >&2; die "installing Wine in the chroot failed; see $cache/apt-install.log"; }
}

# The locales of wine_locales, in the chroot made before they were wanted too; run in a mount
# namespace of its own, as build_chroot is.
add_locales() {
  mount_system
  say "installing the locales ${wine_locales[*]} in the chroot"
  chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
    sh -c 'apt-get update -qq && apt-get install -y -qq --no-install-recommends locales && apt-get clean' \
    >"$cache/locales.log" 2>&1 || { tail -n 20 "$cache/locales.log" >&2; die "installing locales in the chroot failed"; }
  local locale
  for locale in "${wine_locales[@]}"; do
    chroot "$chroot_dir" /usr/bin/localedef -i "$locale" -f UTF-8 "$locale.UTF-8" >>"$cache/locales.log" 2>&1 ||
      die "making the locale $locale.UTF-8 in the chroot failed; see $cache/locales.log"
  done
}

setup() {
  [ "$(id -u)" -eq 0 ] || die "needs root (it makes a chroot and mounts into it)"
  mkdir -p "$cache"
  exec 9>"$cache/lock"
  flock 9
  local missing=()
  command -v debootstrap >/dev/null || missing+=(debootstrap)
  command -v arch-test >/dev/null || missing+=(arch-test)
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null ||
      { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null; }
  fi
  if needs_emulator; then
    fetch_emulator
    register_emulator
  fi
  if [ ! -f "$ready" ]; then
    local started=$SECONDS
    unshare -m --propagation private "$self" --build-chroot
    date -u +%FT%TZ >"$ready"
    say "chroot ready in $((SECONDS - started)) s"
  fi
  if [ ! -f "$locales_ready" ]; then
    unshare -m --propagation private "$self" --add-locales
    date -u +%FT%TZ >"$locales_ready"
  fi
  exec 9>&-
}

# Inside the namespace: the mounts, the command in the chroot, and the unmounting. Whatever the
# command left running in the chroot (Wine's server and helpers) ends with it: they get a few
# seconds to exit by themselves, then a TERM, then a KILL, and the mounts go once they are gone.
run_inside() {
  mounted=()
  namespace=$(stat -L -c %i /proc/self/ns/mnt)
  left_running() {  # every process in this namespace but this shell and the lookup itself
    local me=$BASHPID
    ps -e -o pid=,ppid=,mntns= |
      awk -v ns="$namespace" -v self=$$ -v me="$me" '$3 == ns && $1 != self && $1 != me && $2 != me { print $1 }'
  }
  unmount_all() {
    local i tries pids
    [ -n "${child:-}" ] && kill "$child" 2>/dev/null
    for tries in $(seq 40); do
      pids=$(left_running)
      [ -z "$pids" ] && break
      [ "$tries" -eq 16 ] && kill -TERM $pids 2>/dev/null
      [ "$tries" -eq 32 ] && kill -KILL $pids 2>/dev/null
      sleep 0.25
    done
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
      for tries in $(seq 20); do
        umount -R "${mounted[i]}" 2>/dev/null && break
        sleep 0.25
      done
      mountpoint -q "${mounted[i]}" && umount -R -l "${mounted[i]}"
    done
    mounted=()
  }
  trap unmount_all EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  mount_system
  mounted+=("$chroot_dir/proc" "$chroot_dir/sys" "$chroot_dir/dev")
  local dir
  for dir in "$@"; do
    mkdir -p "$chroot_dir$dir"
    mount --rbind "$dir" "$chroot_dir$dir"
    mounted+=("$chroot_dir$dir")
  done
}

case ${1:-} in
  --build-chroot) build_chroot; exit ;;
  --add-locales) add_locales; exit ;;
  --setup) setup; exit ;;
  --inside)
    shift
    binds=()
    while [ "$1" != -- ]; do binds+=("$1"); shift; done
    shift
    run_inside "${binds[@]}"
    # In the caller's folder where it is one of the bound ones, else in /.
    chroot "$chroot_dir" /usr/bin/env KX_WINE32_INSIDE=1 PATH=/usr/local/bin:/usr/bin:/bin \
      /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" "$@" &
    child=$!
    wait "$child"
    rc=$?
    child=
    exit $rc ;;
  ''|-h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
esac

# Called from a script that already runs in the chroot (e.g. under the chroot's xvfb-run).
if [ -n "${KX_WINE32_INSIDE:-}" ]; then exec "$@"; fi

[ -f "$ready" ] && [ -f "$locales_ready" ] && { ! needs_emulator || [ -x "$emulator" ]; } || setup
# Each run makes its own mounts, and registers the emulator again after a reboot.
needs_emulator && register_emulator

export WINEARCH=win32
export WINEPREFIX=${WINEPREFIX:-$checkout/build/wineprefix32}
mkdir -p "$(dirname "$WINEPREFIX")"
tmp=${TMPDIR:-/tmp}
binds=("$checkout" /tmp)
[ "$tmp" = /tmp ] || binds+=("$tmp")
case $WINEPREFIX/ in "$checkout"/*|/tmp/*|"$tmp"/*) ;; *) binds+=("$(dirname "$WINEPREFIX")") ;; esac
exec unshare -m --propagation private "$self" --inside "${binds[@]}" -- "$@"
