# Every target installs what is missing first, then builds what it needs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-release
PACKAGE_BUILD ?= build-package
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build run test tour asan bench fuzz package format clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Screenshots of the real window on a virtual X screen, for people to look at.
tour: build
	BUILD=$(CURDIR)/$(BUILD) bash tests/gui/tour.sh

# LeakSanitizer of this compiler misreads the thread-local storage of libraries loaded at run
# time (Qt's platform plugins) and stops with a fatal error at exit unless __tls_get_addr is
# left alone; the suppressions name leaks of system libraries.
asan: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DMONDREL_SANITIZE=ON -DMONDREL_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DMONDREL_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@bash bench/run_all.sh $(BENCH_BUILD)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMONDREL_FUZZ=ON -DMONDREL_SANITIZE=ON -DMONDREL_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS)

# The Debian package mondrel_<version>_amd64.deb, built from a Release build of its own and
# left in this folder; `apt install ./mondrel_*.deb` installs it. The programs are hardened as
# Debian's own are (checked buffer functions, read-only relocations bound at start).
package: deps
	cmake -S . -B $(PACKAGE_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DMONDREL_TESTS=OFF -DMONDREL_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2" -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now"
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	rm -f $(PACKAGE_BUILD)/mondrel_*.deb
	cd $(PACKAGE_BUILD) && cpack -G DEB
	cp $(PACKAGE_BUILD)/mondrel_*.deb .
	@ls -l mondrel_*.deb

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(PACKAGE_BUILD) build-fuzz
