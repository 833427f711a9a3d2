#!/usr/bin/env bash
# The setup program holds the settings file, the options dialog and the window, nothing of the
# game: no game step, no display set-up, no scenes, no asset loading, no 3D device.
# usage: check-setup-program.sh PATH-TO-vantorsetup
set -u
binary=$1
command -v nm >/dev/null || { echo "nm is missing"; exit 77; }
symbols=$(nm -C --defined-only "$binary") || exit 1
found=$(grep -E ' [TtWw] (app_main|init_globals|run_game_frame|run_menu_frame|create_display|read_asset|decode_tiff|decode_model|apply_scene_description|device_create)\(' <<<"$symbols")
if [ -n "$found" ]; then
  echo "the setup program links the game:"; echo "$found"; exit 1
fi
grep -q ' T setup_main(' <<<"$symbols" || { echo "no setup entry in $binary"; exit 1; }
echo "setup program holds the settings, the dialog and the window only ($(stat -c %s "$binary") bytes)"
