#!/usr/bin/env bash
# The translated desktop entry and metainfo of the build folder $1: both pass
# their checkers and carry each shipped language (written out here, so a
# language dropped from po/LINGUAS or a .po left untranslated fails).
set -uo pipefail
entry=$1/data/tavimo.desktop
metainfo=$1/data/com.orvenic.tavimo.metainfo.xml
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

desktop-file-validate "$entry" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" >/dev/null 2>&1 ||
    { appstreamcli validate --no-net "$metainfo"; fail "appstreamcli validate"; }

# language | the entry's GenericName | the metainfo's summary
while IFS='|' read -r lang generic summary; do
    grep -qxF "GenericName[$lang]=$generic" "$entry" || fail "$lang: GenericName[$lang] is not \"$generic\""
    grep -qF "Comment[$lang]=" "$entry" || fail "$lang: no Comment[$lang]"
    grep -qF "Keywords[$lang]=" "$entry" || fail "$lang: no Keywords[$lang]"
    grep -qF "<summary xml:lang=\"$lang\">$summary</summary>" "$metainfo" ||
        fail "$lang: summary is not \"$summary\""
    [ "$(grep -c "<li xml:lang=\"$lang\">" "$metainfo")" -eq 5 ] || fail "$lang: not every feature translated"
done <<'ROWS'
de|Videoplayer|Schlanker Videoplayer mit eigenen Untertiteln
fr|Lecteur vidéo|Lecteur vidéo léger avec ses propres sous-titres
es|Reproductor de vídeo|Reproductor de vídeo ligero con subtítulos propios
pl|Odtwarzacz wideo|Lekki odtwarzacz wideo z własnymi napisami
pt_BR|Reprodutor de vídeo|Reprodutor de vídeo leve com legendas próprias
ru|Видеопроигрыватель|Лёгкий видеопроигрыватель со своими субтитрами
it|Lettore video|Lettore video leggero con sottotitoli propri
cs|Přehrávač videa|Nenáročný přehrávač videa s vlastními titulky
ROWS
# The name is the program's own in every language.
grep -q '^Name\[' "$entry" && fail "the entry translates Name"
grep -q '<name xml:lang=' "$metainfo" && fail "the metainfo translates the name"

[ "$failures" -eq 0 ] && echo "desktop entry and metainfo checks passed"
exit $((failures > 0))
