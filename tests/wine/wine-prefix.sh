# shellcheck shell=bash
# Sourced by the scripts that run the Windows programs under Wine.
#
#   use_wine_prefix DIR
#
# Makes DIR the Wine prefix (32-bit, no Mono or Gecko prompts, quiet) and puts Wine's own fonts
# in its Windows font folder before Wine first sets it up. Wine 8 as Debian builds it looks for
# those fonts (MS Sans Serif, Marlett for the caption buttons, Tahoma...) in a folder derived
# from its data path that does not exist, so without this every face falls back to a Linux one
# and the windows' captions no longer fit. The fonts-wine package installs them here:
wine_fonts_dir=/usr/share/wine/fonts

use_wine_prefix() {
  export WINEPREFIX=$1 WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  mkdir -p "$fonts"
  if [[ -d $wine_fonts_dir ]]; then
    local font
    for font in "$wine_fonts_dir"/*; do
      [[ -e $fonts/$(basename "$font") ]] || ln -s "$font" "$fonts/"
    done
  else
    echo "note: $wine_fonts_dir is missing (package fonts-wine); windows use substitute fonts" >&2
  fi
}
