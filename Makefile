# make run   bootstrap, build every format, install the plug-ins, render the demos into out/
# make test  bootstrap, build, run the whole test suite
BUILD ?= build
JOBS ?= 2

.PHONY: run test bootstrap configure build install demos bench clean

run: install demos

test: build
	@scripts/run-tests.sh $(BUILD)

bootstrap:
	@scripts/bootstrap.sh

configure: bootstrap
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

install: build
	@scripts/install-plugins.sh $(BUILD)

demos: build
	@scripts/render-demos.sh $(BUILD) out

bench: build
	@$(BUILD)/bench/dsp_bench --benchmark_counters_tabular=true
	@$(BUILD)/bench/plugin_bench --benchmark_counters_tabular=true

clean:
	rm -rf $(BUILD)
