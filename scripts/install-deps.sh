#!/usr/bin/env bash
# Installs the Debian 12 packages Pagewright needs to build, run and test.
# Only what is missing is installed; uses sudo when not run as root.
set -euo pipefail

packages=(
  g++ cmake make pkg-config git
  qt6-base-dev libgl-dev libpoppler-qt6-dev
  libfreeimage-dev libqpdf-dev libjpeg62-turbo-dev libpng-dev zlib1g-dev
  libtesseract-dev libleptonica-dev tesseract-ocr-eng tesseract-ocr-osd
  libheif-dev libheif1 libde265-0 libwebp-dev libjxl-dev libtiff-dev libdeflate-dev libisal-dev
  liblcms2-dev
  libheif-examples libavif-bin webp libjxl-tools libtiff-tools
  libjbig2dec0-dev jbig2dec jbigkit-bin
  googletest libgtest-dev libgmock-dev
  qpdf poppler-utils mupdf-tools libimage-exiftool-perl python3-pil
  xvfb xdotool imagemagick x11-utils xauth
  img2pdf time strace
  desktop-file-utils appstream dpkg-dev lintian man-db
  clang libclang-rt-14-dev llvm
  fonts-dejavu-core
  icc-profiles-free libgs-common
  default-jre-headless libpdfbox2-java libactivation-java libjaxb-api-java
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
