# Two commands matter: `make run` and `make test`. Everything else is a helper for them.
JOBS       ?= $(shell nproc)
RELEASE    := build/release
SANITIZED  := build/asan
FUZZBUILD  := build/fuzz
BENCHBUILD := build/bench
FUZZ_SECONDS ?= 60

PREFIX     ?= $(HOME)/.local

.PHONY: run test deps build install bench fuzz clean

deps:
	@deps/install.sh deps/debian.txt

build: deps
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF
	cmake --build $(RELEASE) -j $(JOBS)

# Installs into PREFIX (default ~/.local): bin/corvane, its start page, the desktop entry and the
# icons; then refreshes the desktop's caches where the tools exist.
install: build
	cmake -S . -B $(RELEASE) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(RELEASE) -j $(JOBS)
	cmake --install $(RELEASE)
	-update-desktop-database -q $(PREFIX)/share/applications 2>/dev/null
	-gtk-update-icon-cache -q -t $(PREFIX)/share/icons/hicolor 2>/dev/null

run: build
	$(RELEASE)/corvane $(ARGS)

test: deps
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_WERROR=ON
	cmake --build $(SANITIZED) -j $(JOBS)
	cd $(SANITIZED) && \
	  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  QT_QPA_PLATFORM=offscreen \
	  ctest --output-on-failure -j $(JOBS) --timeout 600

bench: deps
	cmake -S . -B $(BENCHBUILD) -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF -DCORVANE_BENCH=ON
	cmake --build $(BENCHBUILD) -j $(JOBS)
	bench/run.sh $(BENCHBUILD)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZBUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_TESTS=OFF -DCORVANE_FUZZ=ON
	cmake --build $(FUZZBUILD) -j $(JOBS)
	fuzz/run.sh $(FUZZBUILD) $(FUZZ_SECONDS)

clean:
	rm -rf build
