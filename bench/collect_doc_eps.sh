#!/bin/sh
# Copies the EPS files that installed Debian packages ship in their documentation and TeX trees
# into the folder named as the argument, each file once (by its content), compressed ones
# unpacked, named after the folder they came from. Nobody here wrote them: they stay out of the
# repository. For example, first:
#   apt-get install --no-install-recommends texlive-publishers-doc texlive-humanities-doc \
#     texlive-metapost-doc xfig-doc groff pyxplot
set -eu
out=$1
mkdir -p "$out"
find /usr/share/doc /usr/share/texlive /usr/share/texmf /usr/share/pyxplot /usr/share/groff \
    \( -iname '*.eps' -o -iname '*.eps.gz' \) -type f 2>/dev/null | sort |
while read -r file; do
    name=$(printf '%s' "$file" | sed 's|^/usr/share/||; s|\.gz$||; s|/|_|g')
    case $file in
    *.gz) gzip -dc "$file" >"$out/$name" ;;
    *) cp "$file" "$out/$name" ;;
    esac
done
# One of each content.
md5sum "$out"/* | sort | awk 'seen[$1]++ { print $2 }' | while read -r twin; do rm -f "$twin"; done
ls "$out" | wc -l
