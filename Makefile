# Zorbe 2nd: `make run` builds everything and sorts the bundled example; `make test` builds and
# runs the whole test suite (release, AddressSanitizer and ThreadSanitizer builds) and every fuzz
# target for FUZZ_SECONDS seconds; `make deb` builds the Debian package. All install the Debian
# packages they need first (only the missing ones; nothing is upgraded that they do not need).

PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev time bc \
            qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-translations-l10n libxcb1-dev \
            fonts-ipafont-gothic xvfb xauth desktop-file-utils libglib2.0-bin \
            clang libclang-rt-14-dev libuchardet-dev libmecab-dev mecab-ipadic-utf8 \
            dpkg-dev debhelper lintian appstream libfm-dev
# Only `make bench` and `make stress` build the benchmarks, and need these.
BENCH_PACKAGES := libbenchmark-dev
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
JOBS ?= $(shell nproc)

FUZZ_SECONDS ?= 30
PREFIX ?= /usr/local

.PHONY: all deps bench-deps install-missing bench-build build install uninstall deb run desktop test test-release test-asan test-tsan test-fuzz fuzz stress bench screenshots clean format

all: build

deps:
	@$(MAKE) --no-print-directory install-missing WANTED="$(PACKAGES)"

bench-deps: deps
	@$(MAKE) --no-print-directory install-missing WANTED="$(BENCH_PACKAGES)"

install-missing:
	@missing=""; \
	for p in $(WANTED); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

# Installs under PREFIX (DESTDIR is honoured): zorbe in bin/, zorbe-desktop in libexec/zorbe/,
# the help, the icon, a desktop entry, the man page and bash completion under share/.
install: build
	DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)"

# Removes what the last `make install` of this build folder installed (give the same DESTDIR).
uninstall:
	@[ -f build/release/install_manifest.txt ] || { echo "Nothing was installed from build/release."; exit 1; }
	sed 's|^|$(DESTDIR)|' build/release/install_manifest.txt | xargs -d '\n' rm -f --
	@rm -f build/release/install_manifest.txt

# The Debian package zorbe_<version>-1_<arch>.deb (with its .buildinfo and .changes) in
# build/deb/, compiled by debhelper in a scratch copy of the tree with its test suite
# (DEB_BUILD_OPTIONS=nocheck leaves that out), then checked by lintian.
deb: deps
	JOBS=$(JOBS) dist/build-deb.sh --lint build/deb

# Sorts the example word list with the example setting "sample" into the build folder and shows
# the result in UTF-8. The build folder is the program folder, so zorbe.ini goes there.
run: build
	@[ -f build/release/zorbe.ini ] || cp examples/zorbe.ini build/release/zorbe.ini
	@rm -f build/release/words-sorted.txt
	build/release/zorbe /s sample build/release/words-sorted.txt examples/words.txt </dev/null
	@echo "--- build/release/words-sorted.txt (Shift-JIS, shown in UTF-8) ---"
	@iconv -f CP932 -t UTF-8 build/release/words-sorted.txt | tr -d '\r'

# The desktop program: the main window (needs a display).
desktop: build
	build/release/zorbe

test: test-release test-asan test-tsan test-fuzz

test-release: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# The whole suite under ThreadSanitizer: the job, its worker threads and the GUI host.
test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS seconds (clang, libFuzzer with ASan and UBSan).
test-fuzz: fuzz

fuzz: deps
	CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DZORBE_FUZZ=ON -DZORBE_BUILD_TESTS=OFF \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build/fuzz --target fuzz_all -j $(JOBS)
	fuzz/run_fuzz.sh $(FUZZ_SECONDS)

# The release build with the benchmarks and the corpus generator.
bench-build: bench-deps
	cmake --preset release -DZORBE_BUILD_BENCH=ON
	cmake --build --preset release -j $(JOBS)

# Large and odd inputs (not in CI): times and peak memory for docs/limits.md.
stress: bench-build
	bench/stress.sh

bench: bench-build
	bench/run_bench.sh

# Pictures of the windows for the help and the README, taken on a virtual X display.
screenshots: build
	xvfb-run -a -s "-screen 0 1366x768x24" build/release/tests/ui/zorbe_screenshots docs/images

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
