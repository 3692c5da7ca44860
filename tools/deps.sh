#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need.
# Sourced by run.sh and test.sh; installs only what is missing.
tavolex_packages=(
    build-essential cmake pkg-config
    qt6-base-dev libzip-dev libuchardet-dev libarchive-dev zlib1g-dev
    libopencc-dev
    # The window manager's view of the window, asked of the X server (full screen).
    libxcb1-dev
    # Debian 12's qt6-speech-dev includes QtQmlIntegration headers it does not depend on.
    qt6-speech-dev qt6-declarative-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core fonts-liberation2 fonts-noto-core fonts-wqy-microhei libthai0
    xvfb xauth xdotool imagemagick zip unzip gzip bzip2 xz-utils tar
    openbox wmctrl x11-utils
    appstream desktop-file-utils
    dpkg-dev file lintian man-db
    # A real book for measuring the paragraph-style detection (bench/ParagraphStyleBench).
    jargon-text
    # Looking words up: Hunspell's stemming, and dictionaries the tests and benchmarks read.
    libhunspell-dev hunspell-en-us dict-gcide dict-wn dict-freedict-deu-eng
    # Hyphenation (Debian has no Finnish patterns) and the book's language guess.
    libhyphen-dev libexttextcat-dev libexttextcat-data
    hyphen-en-us hyphen-en-gb hyphen-de hyphen-fr hyphen-es hyphen-it hyphen-pt-pt hyphen-pt-br
    hyphen-nl hyphen-ru hyphen-uk hyphen-pl hyphen-cs hyphen-sv hyphen-da hyphen-no hyphen-hu
    hyphen-el hyphen-bg
)

# What reading aloud needs at run time: the engine plugins, speech-dispatcher and its voice.
tavolex_speech_packages=(
    qt6-speech-speechd-plugin qt6-speech-flite-plugin
    speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
)

# Installs tavolex_packages and any packages given as arguments.
tavolex_install_missing() {
    local missing=()
    for p in "${tavolex_packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q || true
        apt-get install -y -q --no-install-recommends "${missing[@]}"
    else
        echo "Missing packages; run as root:" >&2
        echo "  apt-get install -y ${missing[*]}" >&2
        return 1
    fi
}
