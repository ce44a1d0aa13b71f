#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for building and testing; with the
# argument "program", only what building the program needs (no GoogleTest).
set -euo pipefail
missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
if [ "${1:-}" != program ]; then
  [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
