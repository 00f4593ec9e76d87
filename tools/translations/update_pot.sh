#!/usr/bin/env bash
# Extracts the desktop entry's and the AppStream metainfo's texts into
# data/po/tavimo.pot and merges them into each data/po/<lang>.po (msgmerge),
# for the translators; the build makes the translated files with msgfmt.
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The name stays "Tavimo" in every language: only these keys are offered.
xgettext --language=Desktop -k -kGenericName -kComment -kKeywords \
    --omit-header data/tavimo.desktop.in -o "$work/desktop.pot"
xgettext --its=/usr/share/gettext/its/metainfo.its \
    data/com.orvenic.tavimo.metainfo.xml.in -o "$work/metainfo.pot"
msgcat --sort-by-file "$work/metainfo.pot" "$work/desktop.pot" -o data/po/tavimo.pot
for lang in $(cat data/po/LINGUAS); do
    msgmerge --quiet --update --backup=none --no-fuzzy-matching data/po/"$lang".po data/po/tavimo.pot
done
