# The two commands a newcomer needs: `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup configure build test run content bench clean format

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@bash scripts/test.sh $(BUILD)

content: build
	@bash scripts/content.sh $(BUILD)

run: content
	@cd $(BUILD)/content && exec ../glint

bench: build
	@bash scripts/bench.sh $(BUILD)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD)
