# make run   - install what is missing, build, start the editor
# make test  - the same, then the whole test suite
# make e2e   - the end-to-end tests through a real Linux USB stack (QEMU guest)
.PHONY: all deps configure build run test test-default e2e test-asan test-tsan test-fuzz bench install package clean

JOBS ?= $(shell nproc)
# The window tests run under Xvfb. Looked up when a recipe uses it (a
# recursive variable), after deps has installed xvfb-run on a fresh machine.
GUI_WRAP = $(if $(shell command -v xvfb-run 2>/dev/null),xvfb-run -a -s "-screen 0 1280x1024x24",env QT_QPA_PLATFORM=offscreen)

all: build

deps:
	@scripts/install-deps

build/build.ninja: | deps
	cmake --preset default

build: deps build/build.ninja
	cmake --build --preset default -j $(JOBS)

run: build
	build/bin/wheel-editor $(ARGS)

test: build test-fuzz test-default e2e test-asan test-tsan

# The tests that start threads run twenty times over: a race that fails one
# run in twenty fails here (ThreadSanitizer looks at them in test-tsan too).
# A failure ends with what the failing tests said (scripts/test-failures).
test-default: build
	$(GUI_WRAP) ctest --preset default -j $(JOBS) -LE "e2e|threaded" || { scripts/test-failures build; exit 1; }
	$(GUI_WRAP) ctest --preset default -j $(JOBS) -L threaded --repeat until-fail:20 || { scripts/test-failures build; exit 1; }

# Skipped, with one line saying why, only where QEMU cannot run at all.
e2e: build
	@if tests/kernel-hid/e2e.sh can-run; then ctest --preset default -j $(JOBS) -L e2e; fi

test-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS) || { scripts/test-failures build-asan; exit 1; }

test-tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS) || { scripts/test-failures build-tsan; exit 1; }

# The BMP reader under libFuzzer (clang, ASan + UBSan) from its seed corpus.
test-fuzz: deps
	FUZZ_SECONDS=$${FUZZ_SECONDS:-60} JOBS=$(JOBS) fuzz/fuzz-short.sh

bench: build
	build/bin/wheel-bench

install: build
	cmake --install build

# A .deb in build/, checked with lintian; its AppStream metainfo, desktop entry
# and MIME type validated (the MIME type compiled into a scratch database).
package: build
	@scripts/install-deps --packaging
	appstreamcli validate --no-net packaging/*.metainfo.xml
	desktop-file-validate packaging/wheel-editor.desktop
	@d=$$(mktemp -d) && mkdir -p $$d/mime/packages && cp packaging/wheel-editor.mime.xml $$d/mime/packages/ && \
	  XDG_DATA_HOME=$$d update-mime-database $$d/mime && \
	  grep -qx '50:application/x-wheelset:\*\.wheelset' $$d/mime/globs2 && \
	  grep -qx 'application/x-wheelset:wheel-editor' $$d/mime/icons; \
	  ok=$$?; rm -rf $$d; [ $$ok = 0 ] || { echo "packaging/wheel-editor.mime.xml: no *.wheelset type with our icon" >&2; exit 1; }
	rm -f build/wheel-light-editor_*.deb
	cd build && cpack -G DEB
	lintian --tag-display-limit 0 build/wheel-light-editor_*.deb

clean:
	rm -rf build build-asan build-tsan build-fuzz
