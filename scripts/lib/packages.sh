# Installs the Debian packages named as arguments that are not installed yet.
# Sourced by the scripts in scripts/.

ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ "${#missing[@]}" -eq 0 ] && return 0

  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building the program needs: the compiler, Qt 6 Widgets, and fonts that show Japanese.
BUILD_PACKAGES=(cmake make g++ qt6-base-dev fonts-noto-cjk)
# What the tests need besides.
TEST_PACKAGES=(libgtest-dev clang-format ffmpeg)
# What fuzzing needs: clang with libFuzzer and the sanitizer runtimes.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
