# A drive that fills up: a small tmpfs mapped as drive Q:. Few free inodes
# make it fill up half way through setup's writes although its free space
# suffices; little free space is refused before anything is written. Each
# failure must leave the drive and the registration as they were. Sourced by
# installer_test.sh; mounting needs root.

disk_mount=""

# Leaves exactly N free inodes on the drive.
leave_free_inodes() {
  rm -rf "$disk_mount/fill"
  mkdir "$disk_mount/fill"
  local free
  free="$(stat -f -c %d "$disk_mount")"
  for ((i = 0; i < free - $1; i++)); do : >"$disk_mount/fill/$i"; done
}

# mount_disk INODES: a fresh 64 MiB drive Q:.
mount_disk() {
  umount "$disk_mount" 2>/dev/null
  mount -t tmpfs -o "size=64m,nr_inodes=$1" tmpfs "$disk_mount"
}

case_disk() {
  new_prefix disk
  disk_mount="$work/disk/mount"
  mkdir -p "$disk_mount"
  mount_disk 12 || { echo "FAIL [disk]: cannot mount a tmpfs (needs root)" >&2 && return 1; }
  ln -sfn "$disk_mount" "$WINEPREFIX/dosdevices/q:"
  local result=0
  disk_checks || result=1
  wineserver -k 2>/dev/null
  umount "$disk_mount"
  return "$result"
}

disk_checks() {
  local code=0 before windows_dir='Q:\Quorvane AI' dir="$disk_mount/Quorvane AI" staged
  # The next version's entries, its staging folder, manifest and uninstaller.
  staged=$(($(find "$work/next-bundle" -mindepth 1 | wc -l) + 3))

  setup_into "$setup" "$windows_dir" || code=$?
  check "a fresh install that fills the drive ends with 2 (got $code)" is "$code" 2 || return 1
  check "it leaves nothing on the drive" is "$(ls -A "$disk_mount")" "" || return 1
  check "nothing is registered" not reg_has_key "$uninstall_key" || return 1
  check "the log names the file and the error" \
    grep -qE 'Quorvane AI\\~setup-new\\.* cannot be written \(error 112\)' <(log_tail setup 4) ||
    return 1

  mount_disk 400 || return 1
  code=0
  setup_into "$setup" "$windows_dir" || code=$?
  check "setup on a drive with room ends with 0 (got $code)" is "$code" 0 || return 1
  before="$(fingerprint "$dir")"

  # Full half way through the new files; then full just when the installed
  # files would be set aside (the new ones all written).
  local free
  for free in $((staged / 2)) "$staged"; do
    leave_free_inodes "$free"
    code=0
    win "$next_setup" /S || code=$?
    check "an upgrade that fills the drive ($free inodes free) ends with 2 (got $code)" \
      is "$code" 2 || return 1
    check "the installation is as it was" is "$(fingerprint "$dir")" "$before" || return 1
    check "no staging or backup folder is left" \
      is "$(ls -d "$dir"/~setup-* 2>/dev/null)" "" || return 1
  done
  check "the log says that the previous state is back" has "$(log_tail setup 3)" "as it was" ||
    return 1

  # Too little space for the new files beside the old: refused up front.
  rm -rf "$disk_mount/fill"
  fallocate -l $(($(stat -f -c '%a * %S' "$disk_mount") - 2 * 1024 * 1024)) "$disk_mount/big"
  code=0
  win "$next_setup" /S || code=$?
  check "an upgrade without the space ends with 2 (got $code)" is "$code" 2 || return 1
  check "the log says why" has "$(log_tail setup 3)" "not enough free space" || return 1
  check "the installation is unchanged" is "$(fingerprint "$dir")" "$before" || return 1

  rm "$disk_mount/big"
  code=0
  win "$next_setup" /S || code=$?
  check "with room again the upgrade ends with 0 (got $code)" is "$code" 0 || return 1
  check "the new version is registered" \
    is "$(reg_value "$uninstall_key" DisplayVersion)" "$next_version"
}
