#!/usr/bin/env bash
# setup PROGRAM: a read-only medium for the start-up tests. A copy of PROGRAM named
# $KOLVANE_MEDIUM_FILE, with mode 0444 (Wine takes the read-only attribute from the mode
# bits, not from the mount), on a read-only bind mount that the test prefix sees as drive
# $KOLVANE_MEDIUM_DRIVE. Mounting takes root; without it the medium is left out and its
# tests skip. cleanup: takes all of it away again, also what an interrupted run left.
set -uo pipefail
source "$(dirname "$0")/../wine/env.sh"
: "${KOLVANE_MEDIUM_ROOT:?}" "${KOLVANE_MEDIUM_DRIVE:?}" "${KOLVANE_MEDIUM_FILE:?}"
source_dir=$KOLVANE_MEDIUM_ROOT/source
mount_dir=$KOLVANE_MEDIUM_ROOT/mount
drive_link=$WINEPREFIX/dosdevices/$KOLVANE_MEDIUM_DRIVE:

remove_medium() {
    rm -f "$drive_link"
    if mountpoint -q "$mount_dir"; then
        # A process of the run that still holds a file there must not keep the mount.
        umount "$mount_dir" 2>/dev/null || umount -l "$mount_dir" || return 1
    fi
    rm -rf "$KOLVANE_MEDIUM_ROOT"
}

case "${1:-}" in
setup)
    program=${2:?usage: $0 setup PROGRAM}
    remove_medium || exit 1
    if [ "$(id -u)" -ne 0 ]; then
        echo "not root: no read-only medium, its tests skip"
        exit 0
    fi
    mkdir -p "$source_dir" "$mount_dir"
    install -m 0444 "$program" "$source_dir/$KOLVANE_MEDIUM_FILE"
    if ! { mount --bind "$source_dir" "$mount_dir" && mount -o remount,bind,ro "$mount_dir"; }; then
        remove_medium
        exit 1
    fi
    ln -s "$mount_dir" "$drive_link"
    echo "read-only medium on drive $KOLVANE_MEDIUM_DRIVE: holds $KOLVANE_MEDIUM_FILE"
    ;;
cleanup)
    remove_medium
    ;;
*)
    echo "usage: $0 setup PROGRAM | cleanup" >&2
    exit 2
    ;;
esac
