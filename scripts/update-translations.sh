#!/usr/bin/env bash
# Refreshes the translation sources from the code: new texts are added, texts the code no longer
# has are dropped. The English files translate each text as itself, so the programs install a
# translation that changes nothing; a translator adds a language by copying an English file to
# the language's code (for example "sweepdeck_de.ts") and translating it; the build finds it by
# its name.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
ts=resources/translations
options=(-no-obsolete -locations none -source-language en)
lupdate "${options[@]}" -target-language en main common -ts "$ts/draviels_en.ts"
lupdate "${options[@]}" -target-language en jex_main/Sweepdeck -ts "$ts/sweepdeck_en.ts"
# English: every text not yet translated is its own translation.
perl -0pi -e 's{<source>(.*?)</source>((?:(?!</message>).)*?)<translation type="unfinished"></translation>}{<source>$1</source>$2<translation>$1</translation>}gs' \
  "$ts/draviels_en.ts" "$ts/sweepdeck_en.ts"
