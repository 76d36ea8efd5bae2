#!/usr/bin/env bash
# Puts the upstream source of Debian's libmseed (the source package of libmseed-dev) into DIR,
# for builds that compile it themselves. Nothing is fetched when DIR already holds it.
# Usage: fetch-libmseed-source.sh DIR
set -euo pipefail
exec bash "$(dirname "$0")/fetch-debian-source.sh" libmseed "${1:?usage: fetch-libmseed-source.sh DIR}" \
    libmseed.h
