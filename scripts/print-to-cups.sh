#!/usr/bin/env bash
# Prints the sample chronology on a real CUPS queue and checks what comes out.
# Needs root (it installs CUPS and the cups-pdf printer and starts cupsd when
# none runs). Usage: scripts/print-to-cups.sh [path/to/annalux]
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
annalux="${1:-$here/build/app/annalux}"
queue=AnnaluxPDF

export DEBIAN_FRONTEND=noninteractive
for p in cups cups-client printer-driver-cups-pdf poppler-utils; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
        apt-get install -y -qq --no-install-recommends "$p" >/dev/null
done

if ! lpstat -r >/dev/null 2>&1 || lpstat -r | grep -q 'not running'; then
    mkdir -p /run/cups
    cupsd
    for _ in $(seq 50); do lpstat -r >/dev/null 2>&1 && break; sleep 0.2; done
fi

out=/var/spool/cups-pdf/ANONYMOUS
mkdir -p "$out"
sed -i "s|^#\?Out .*|Out $out|" /etc/cups/cups-pdf.conf
lpadmin -p "$queue" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null ||
    lpadmin -p "$queue" -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
cupsenable "$queue"
cupsaccept "$queue"

rm -f "$out"/*.pdf
QT_QPA_PLATFORM=offscreen "$annalux" /pt "$here/samples/sample.anx" "$queue" driver port

for _ in $(seq 100); do
    ls "$out"/*.pdf >/dev/null 2>&1 && [ -z "$(lpstat -o "$queue")" ] && break
    sleep 0.3
done
pdf="$(ls -t "$out"/*.pdf | head -1)"
# cups-pdf passes the job through Ghostscript, which turns the text into
# drawn glyphs: compare the pages with the program's own PDF of the print.
own="$(mktemp --suffix=.pdf)"
QT_QPA_PLATFORM=offscreen "$annalux" --print-pdf "$own" "$here/samples/sample.anx"
pages() { pdfinfo "$1" | awk '/^Pages:/ {print $2}'; }
[ "$(pages "$pdf")" = "$(pages "$own")" ] || { echo "page counts differ: $pdf $own" >&2; exit 1; }
rm -f "$own"
echo "printed through CUPS: $pdf ($(pages "$pdf") pages)"
