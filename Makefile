# make run   install what the plug-in and the tools need, build every format and the
#            tools (no tests), install the plug-ins, render the demos into out/
# make test  also install the test hosts and libraries, build everything, run the whole suite
# make deb   a release build (BUILD's, or a new one) and the Debian package
#            twist-delay_<version>_<arch>.deb in BUILD
# make deb-check  that, then lintian, the package's file list, and an install
#            and removal with dpkg (as root or with sudo)
# make fuzz  build the fuzz targets (clang, ASan, UBSan) and run each for FUZZ_SECONDS
# make sanitize-dsp  the DSP library's tests under ASan and UBSan
# make memcheck  a short hosted session of both formats under valgrind's memcheck
BUILD ?= build
JOBS ?= 2
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 1
FUZZ_ARGS ?=
SANITIZE_BUILD ?= build-sanitize-dsp

.PHONY: run test bootstrap bootstrap-tests configure configure-tests build build-tests install demos bench \
	clean fuzz sanitize-dsp memcheck deb deb-check

run: install demos

test: build-tests
	@scripts/run-tests.sh $(BUILD)

bootstrap:
	@scripts/bootstrap.sh

bootstrap-tests:
	@scripts/bootstrap.sh --tests

# The plug-in, the standalone program and the tools only.
configure: bootstrap
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTWIST_BUILD_TESTS=OFF -DTWIST_BUILD_BENCH=OFF >/dev/null

configure-tests: bootstrap-tests
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTWIST_BUILD_TESTS=ON -DTWIST_BUILD_BENCH=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

build-tests: configure-tests
	@cmake --build $(BUILD) -j $(JOBS)

install: build
	@scripts/install-plugins.sh $(BUILD)

demos: build
	@scripts/render-demos.sh $(BUILD) out

deb:
	@JOBS=$(JOBS) scripts/make-deb.sh $(BUILD)

deb-check: bootstrap-tests deb
	@scripts/check-deb.sh $(BUILD)

fuzz: bootstrap-tests
	@FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_JOBS=$(FUZZ_JOBS) FUZZ_ARGS="$(FUZZ_ARGS)" JOBS=$(JOBS) scripts/run-fuzzers.sh $(FUZZ_BUILD)

sanitize-dsp: bootstrap-tests
	@CC=clang CXX=clang++ cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTWIST_DSP_ONLY=ON -DTWIST_SANITIZE=address,undefined -DTWIST_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@ctest --test-dir $(SANITIZE_BUILD) -j $(JOBS) -L dsp --output-on-failure

memcheck: build-tests
	@scripts/memcheck.sh $(BUILD)

bench: build-tests
	@$(BUILD)/bench/dsp_bench --benchmark_counters_tabular=true
	@$(BUILD)/bench/plugin_bench --benchmark_counters_tabular=true

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(SANITIZE_BUILD)
