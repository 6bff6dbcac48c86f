# Thin front end over CMake and Ninja. See README.md.

SHELL := /bin/sh

JOBS         ?= 2
FUZZ_SECONDS ?= 60
FUZZ_TIMEOUT ?= 30
BENCH_FILTER ?=

ifeq ($(SANITIZE),1)
BUILD_DIR  ?= build-asan
BUILD_TYPE ?= Debug
CMAKE_OPTIONS := -DTOMEKEEP_SANITIZE=ON
else
BUILD_DIR  ?= build
BUILD_TYPE ?= Release
CMAKE_OPTIONS := -DTOMEKEEP_SANITIZE=OFF
endif

FUZZ_DIR   := build-fuzz
BENCH_DIR  := build
BENCH_JSON := $(BENCH_DIR)/bench/benchmarks.json

# Everything the build, the tests, the benchmarks and fuzzing need, as Debian packages.
DEPS_PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
	qt6-base-dev qt6-charts-dev libqt6svg6 libxml2-dev libxslt1-dev \
	libgtest-dev libgmock-dev libbenchmark-dev perl python3 clang-format \
	adwaita-icon-theme xvfb

.PHONY: all deps configure build run test bench fuzz clean format
# Steps depend on each other (deps before build); ninja does the parallel work.
.NOTPARALLEL:

all: build

deps:
	@missing=""; \
	for p in $(DEPS_PACKAGES); do \
		dpkg-query -W -f='$${db:Status-Abbrev}' "$$p" 2>/dev/null | grep -q '^ii' || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then exit 0; fi; \
	echo "deps: installing$$missing"; \
	if [ "$$(id -u)" -eq 0 ]; then sudo=""; \
	elif command -v sudo >/dev/null 2>&1; then sudo="sudo"; \
	else echo "deps: not root and no sudo; install as root:$$missing" >&2; exit 1; fi; \
	$$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	$$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing

configure:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_OPTIONS)

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

# The demo is opened by its name beside the program, so closing leaves it as it was.
run: deps build
	@cd $(BUILD_DIR)/bin && if [ -f Data/demo.tmk ]; then \
		exec ./tomekeep Data/demo.tmk; \
	else \
		exec ./tomekeep; \
	fi

test: deps build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --no-tests=ignore $(CTEST_ARGS)

# Benchmarks are always measured on a Release build.
bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOMEKEEP_SANITIZE=OFF
	@if ! ninja -C $(BENCH_DIR) -t targets all | grep -q '^tomekeep_bench:'; then \
		echo "bench: no benchmarks yet (bench/*.cpp)"; exit 0; \
	fi; \
	cmake --build $(BENCH_DIR) -j$(JOBS) --target tomekeep_bench && \
	$(BENCH_DIR)/bench/tomekeep_bench --benchmark_out=$(BENCH_JSON) --benchmark_out_format=json \
		$(if $(BENCH_FILTER),--benchmark_filter='$(BENCH_FILTER)') && \
	python3 bench/report.py $(BENCH_JSON) BENCHMARKS.md && \
	echo "bench: wrote BENCHMARKS.md"

fuzz: deps
	@if ! ls tests/fuzz/fuzz_*.cpp >/dev/null 2>&1; then \
		echo "fuzz: no fuzz targets yet (tests/fuzz/fuzz_*.cpp)"; exit 0; \
	fi; \
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++ -DTOMEKEEP_FUZZ=ON && \
	cmake --build $(FUZZ_DIR) -j$(JOBS) || exit 1; \
	failed=""; \
	for exe in $(FUZZ_DIR)/fuzz/fuzz_*; do \
		[ -x "$$exe" ] || continue; \
		target=$$(basename "$$exe"); name=$${target#fuzz_}; \
		corpus=$(FUZZ_DIR)/corpus/$$name; seeds=tests/fuzz/corpus/$$name; \
		mkdir -p "$$corpus" $(FUZZ_DIR)/artifacts; \
		set -- "$$corpus"; [ -d "$$seeds" ] && set -- "$$@" "$$seeds"; \
		dict=""; [ -f tests/fuzz/$$name.dict ] && dict="-dict=tests/fuzz/$$name.dict"; \
		echo "fuzz: $$target for $(FUZZ_SECONDS) s"; \
		"$$exe" -max_total_time=$(FUZZ_SECONDS) -timeout=$(FUZZ_TIMEOUT) -print_final_stats=1 \
			-artifact_prefix=$(FUZZ_DIR)/artifacts/$$name- $$dict "$$@" || failed="$$failed $$target"; \
	done; \
	if [ -n "$$failed" ]; then echo "fuzz: failures in$$failed (see $(FUZZ_DIR)/artifacts/)" >&2; exit 1; fi

clean:
	rm -rf build build-asan build-fuzz

format:
	@files=$$(find src tests bench \( -path tests/fixtures -o -path tests/fuzz/corpus \) -prune -o \
		-type f \( -name '*.cpp' -o -name '*.h' \) -print 2>/dev/null); \
	if [ -n "$$files" ]; then clang-format -i $$files; fi
