#!/usr/bin/env bash
# The installed desktop entry and AppStream description pass the desktop's own checks, and
# the description finds its desktop entry and icon in the tree.
#   desktop_files.sh INSTALLED APP-ID DESKTOP-FILE-VALIDATE APPSTREAMCLI
set -u
installed="$1" id="$2" validate="$3" appstream="$4"
status=0
"$validate" "$installed/share/applications/$id.desktop" || status=1
"$appstream" validate --no-net "$installed/share/metainfo/$id.metainfo.xml" || status=1
"$appstream" validate-tree --no-net "$installed" || status=1
[ "$status" -eq 0 ] && echo "ok"
exit "$status"
