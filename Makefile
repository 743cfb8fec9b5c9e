# Everything a fresh Debian 12 machine needs: `make demo` harvests the bundled sample,
# `make test` builds and runs every test (the threaded tests under TSan, all under ASan+UBSan,
# each fuzz target for a minute, then plain). Missing Debian packages are installed when run
# as root.

PACKAGES := cmake g++ ninja-build pkg-config libgtest-dev libbenchmark-dev libxml2-dev \
            libxml2-utils libdvbv5-dev clang libclang-rt-14-dev time
# Seconds each fuzz target runs; a longer run: make fuzz FUZZ_SECONDS=1800
FUZZ_SECONDS ?= 60
JOBS     ?= $(shell nproc)
WERROR   := $(if $(CI),ON,OFF)
CMAKE_COMMON := -G Ninja -DEPG_WERROR=$(WERROR)

.PHONY: all deps build demo test test-plain test-asan test-tsan fuzz bench replay format clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing Debian packages:$$missing (run as root, or: sudo apt-get install$$missing)"; exit 1; \
	  fi; \
	fi

build: deps
	cmake -S . -B build $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)

# Harvests the bundled sample capture into guide.xml and summarises what it holds.
demo: build
	./build/bin/epgharvest samples/demo.ini guide.xml
	./samples/summarize.sh guide.xml

test-plain: build
	cd build && ctest -j $(JOBS) --output-on-failure

test-asan: deps
	cmake -S . -B build-asan $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Debug -DEPG_BENCH=OFF \
	  -DEPG_SANITIZE=address,undefined
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest -j $(JOBS) --output-on-failure

# The tests whose suite name says Threaded exercise the streaming, timer and main threads.
test-tsan: deps
	cmake -S . -B build-tsan $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Debug -DEPG_BENCH=OFF \
	  -DEPG_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && ctest -j $(JOBS) --output-on-failure -R Threaded --no-tests=ignore

# libFuzzer targets (clang): the section path, the demultiplexer, the configuration reader.
# Kept findings are replayed first; the corpora grow in build-fuzz/corpus across runs.
fuzz: deps
	CXX=clang++ cmake -S . -B build-fuzz $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DEPG_BENCH=OFF -DEPG_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)
	./fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# The plain run goes last so that its summary closes the output.
test: test-tsan test-asan fuzz test-plain

bench: build
	./build/bin/epg_bench

# Whole-program replay: generates a 1 GiB transponder capture and a 256 MiB SI-only carousel
# (one capture at a time under build/replay), harvests each with the real binary and sets its
# speed against `cat` on the same file; peak memory too. Exits 1 when a target is missed.
replay: build
	./bench/replay.sh build/bin build/replay

format:
	find src tests tools bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-fuzz
