#!/bin/sh
# Makes and uses Debian roots (debootstrap) for testing oru on a release other
# than the machine's own, or on a fresh install of it.
#
#   tools/debian-root.sh make RELEASE DIR
#       Makes DIR a minimal root of RELEASE (12, 13 or testing; or bookworm,
#       trixie or forky).
#       A finished root is kept and reused; an unfinished one (an interrupted
#       debootstrap) is removed and made again.
#   tools/debian-root.sh run DIR [--bind HOST_DIR:ROOT_DIR]... -- COMMAND...
#       Runs COMMAND inside DIR with /proc, /dev, /dev/pts and a private /dev/shm
#       mounted (Mesa and Xvfb need them) and the given folders bound in. Whatever
#       happens, also on failure or interrupt, the processes left inside the
#       root are ended and every mount is released before it returns
#       COMMAND's status.
#   tools/debian-root.sh remove DIR
#       Removes DIR and its lock, unless something is still mounted below it
#       (then it is left in place, with a message).
#
# Needs root and debootstrap (tools/install-deps.sh debootstrap).
set -eu

# The mark of a finished root; debootstrap writes it last.
stamp=.oru-root-complete

die() {
  echo "debian-root: $*" >&2
  exit 2
}

codename() {
  case "$1" in
    12 | bookworm) echo bookworm ;;
    13 | trixie) echo trixie ;;
    testing | forky) echo forky ;;
    *) die "unsupported release '$1' (12, 13 or testing)" ;;
  esac
}

# The Debian mirror the machine's own apt sources name, or Debian's own.
mirror() {
  found=$(grep -hs -E '^(URIs:|deb) ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources | grep -o 'https\?://[^ ]*/debian/\?' | grep -v security |
    head -n 1 || true)
  echo "${found:-http://deb.debian.org/debian}"
}

# Whether anything is mounted at or below the folder $1.
mounted_below() {
  awk -v dir="$1" '$2 == dir || index($2, dir "/") == 1 { found = 1 } END { exit !found }' \
    /proc/self/mounts
}

make_root() {
  release=$(codename "$1")
  dir=$2
  mkdir -p "$(dirname "$dir")"
  # One user of a root at a time: a second run waits for the first.
  exec 9>"$dir.lock"
  flock 9
  [ -f "$dir/$stamp" ] && return 0
  if [ -e "$dir" ]; then
    mounted_below "$dir" && die "$dir is unfinished but still has mounts; release them first"
    echo "debian-root: removing the unfinished root $dir"
    rm -rf "$dir"
  fi
  echo "debian-root: making a Debian $release root in $dir"
  # An older debootstrap has no script for a release newer than itself; the
  # next release is made the way unstable is.
  script=""
  [ -e "/usr/share/debootstrap/scripts/$release" ] || script=/usr/share/debootstrap/scripts/sid
  debootstrap --variant=minbase "$release" "$dir" "$(mirror)" $script >"$dir.log" 2>&1 ||
    { tail -n 20 "$dir.log" >&2; die "debootstrap failed (log: $dir.log)"; }
  # Testing's Release file is valid for a week only, and a mirror or proxy
  # that lags behind serves one apt then refuses. Signatures are still checked.
  echo 'Acquire::Check-Valid-Until "false";' >"$dir/etc/apt/apt.conf.d/80oru-valid-until"
  touch "$dir/$stamp"
}

# Ends every process whose root is the folder $1, then releases the mounts
# listed (innermost last) in the file $2.
release_root() {
  for proc in /proc/[0-9]*; do
    if [ "$(readlink "$proc/root" 2>/dev/null)" = "$1" ]; then
      kill -TERM "${proc#/proc/}" 2>/dev/null || true
    fi
  done
  sleep 0.2
  for proc in /proc/[0-9]*; do
    if [ "$(readlink "$proc/root" 2>/dev/null)" = "$1" ]; then
      kill -KILL "${proc#/proc/}" 2>/dev/null || true
    fi
  done
  tac "$2" | while read -r target; do
    umount "$target" 2>/dev/null || umount -l "$target" 2>/dev/null || true
  done
  rm -f "$2"
}

# Mounts at the folder $1 with the mount arguments after it, and lists it for
# release_root; a failed mount ends the run.
mount_in_root() {
  target=$1
  shift
  mount "$@" "$target" || die "cannot mount $target"
  echo "$target" >>"$mounts"
}

run_in_root() {
  dir=$(cd "$1" && pwd -P)
  shift
  [ -f "$dir/$stamp" ] || die "$dir is not a finished root (make it first)"
  exec 9>"$dir.lock"
  flock 9

  mounts=$(mktemp)
  trap 'release_root "$dir" "$mounts"' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
  mount_in_root "$dir/proc" -t proc proc
  mount_in_root "$dir/dev" --bind /dev
  mount_in_root "$dir/dev/shm" -t tmpfs -o mode=1777 shm
  # Pseudo-terminals, for programs run as if in a terminal.
  mount_in_root "$dir/dev/pts" --bind /dev/pts
  # Each folder is bound as it is read, so a path with spaces stays one path.
  while [ $# -gt 0 ]; do
    case "$1" in
      --bind)
        [ $# -ge 2 ] || die "--bind needs HOST_DIR:ROOT_DIR"
        mkdir -p "$dir${2#*:}"
        mount_in_root "$dir${2#*:}" --bind "${2%%:*}"
        shift 2
        ;;
      --) shift; break ;;
      *) break ;;
    esac
  done
  [ $# -gt 0 ] || die "no command to run"
  cp /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
  # The host's certificate authorities, its own additions included (a
  # network that inspects TLS has one), for the programs in the root that
  # fetch over TLS themselves, such as npm; apt-get's mirror is the host's.
  extra_ca=""
  if [ -f /etc/ssl/certs/ca-certificates.crt ] &&
    cp /etc/ssl/certs/ca-certificates.crt "$dir/etc/oru-host-ca.crt" 2>/dev/null; then
    extra_ca=NODE_EXTRA_CA_CERTS=/etc/oru-host-ca.crt
  fi
  status=0
  # $extra_ca is one word or none.
  # shellcheck disable=SC2086
  chroot "$dir" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 $extra_ca "$@" || status=$?
  return $status
}

# Never deletes through a mount: a bound folder would lose the host's files.
remove_root() {
  if mounted_below "$1"; then
    echo "debian-root: $1 still has mounts; left in place" >&2
    return 1
  fi
  rm -rf "$1" "$1.lock"
}

[ "$(id -u)" -eq 0 ] || die "must run as root"
case "${1:-}" in
  make) [ $# -eq 3 ] || die "usage: $0 make RELEASE DIR"; make_root "$2" "$3" ;;
  run) [ $# -ge 3 ] || die "usage: $0 run DIR [--bind HOST:ROOT]... -- COMMAND..."; shift; run_in_root "$@" ;;
  remove) [ $# -eq 2 ] || die "usage: $0 remove DIR"; remove_root "$2" ;;
  *) die "usage: $0 make RELEASE DIR | run DIR [--bind HOST:ROOT]... -- COMMAND... | remove DIR" ;;
esac
