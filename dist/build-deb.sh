#!/usr/bin/env bash
# Builds the Debian package in a scratch copy of this tree, with debhelper and without root:
#
#   dist/build-deb.sh [--prebuilt BUILD_DIR] [--lint] OUTPUT_DIR
#
# zorbe_<version>-1_<arch>.deb, its .buildinfo and .changes (and the debug symbols' package
# zorbe-dbgsym) land in OUTPUT_DIR, and the .deb's full name is the last line printed. Without
# --prebuilt the programs are compiled from source and the test suite runs, unless
# DEB_BUILD_OPTIONS holds nocheck. With --prebuilt the programs that the release build in
# BUILD_DIR made are packaged instead of being compiled again. --lint checks the package and its
# .changes with lintian, which fails the build on an error or a warning. JOBS sets the parallel
# jobs (default: every core).
set -euo pipefail

usage() {
  echo "usage: $0 [--prebuilt BUILD_DIR] [--lint] OUTPUT_DIR" >&2
  exit 2
}

prebuilt=""
lint=false
while [ $# -gt 1 ]; do
  case "$1" in
    --prebuilt) prebuilt=$(cd "$2" && pwd); shift 2 ;;
    --lint) lint=true; shift ;;
    *) usage ;;
  esac
done
[ $# -eq 1 ] || usage

source_dir=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
output_dir=$(cd "$1" && pwd)

for tool in dpkg-buildpackage dh; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: install dpkg-dev and debhelper (make deb does)." >&2
    exit 1
  fi
done

# The package's version is the program's.
version=$(sed -n 's/^project(zorbe VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
package_version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
if [ "${package_version%-*}" != "$version" ]; then
  echo "debian/changelog is at $package_version but the program at $version:" \
       "add a changelog entry for $version-1." >&2
  exit 1
fi

# The scratch copy: the files git knows of (committed or not, ignored ones left out), or
# everything but the build folders outside a git checkout.
scratch="$output_dir/zorbe-$version"
rm -rf "$scratch"
mkdir -p "$scratch"
if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$source_dir" &&
   git ls-files -z --cached --others --exclude-standard |
   while IFS= read -r -d '' file; do
     if [ -e "$file" ] || [ -L "$file" ]; then printf '%s\0' "$file"; fi
   done | tar --null -T - -cf - | tar -xf - -C "$scratch")
else
  tar -C "$source_dir" --exclude=./build --exclude='./obj-*' --exclude=./.git -cf - . |
    tar -xf - -C "$scratch"
fi

options=(-b -us -uc "--jobs-try=${JOBS:-$(nproc)}")
if [ -n "$prebuilt" ]; then
  options+=(-d) # nothing is compiled, so the build dependencies are not needed
  export ZORBE_DEB_PREBUILT="$prebuilt"
elif [[ " ${DEB_BUILD_OPTIONS:-} " == *" nocheck "* ]]; then
  options+=(-Pnocheck) # the test suite's build dependencies are not needed
fi

arch=$(dpkg-architecture -qDEB_HOST_ARCH)
base="zorbe_${package_version}_${arch}"
made=("$output_dir/$base".{deb,buildinfo,changes}
      "$output_dir/zorbe-dbgsym_${package_version}_${arch}.deb")
rm -f "${made[@]}"
(cd "$scratch" && dpkg-buildpackage "${options[@]}")
rm -rf "$scratch"
if $lint; then
  lintian --fail-on error,warning --display-info "$output_dir/$base.changes"
fi

echo "Made in $output_dir:"
for file in "${made[@]}"; do
  if [ -e "$file" ]; then echo "  ${file##*/}"; fi
done
echo "$output_dir/$base.deb"
