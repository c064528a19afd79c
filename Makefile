# The two commands a newcomer needs: `make run` and `make test`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=
# Seconds each fuzz target runs in `make fuzz`.
FUZZ_SECONDS ?= 60
PREFIX  ?= /usr/local

.PHONY: all setup configure build test run content bench clean format install install-check \
	package package-check memcheck fuzz test-sanitize

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

# Installs the player, zuo, the content, the launcher glint-player, the
# desktop entry and the icon under $(PREFIX).
install: content
	@cmake --install $(BUILD) --prefix $(PREFIX)

# Installs into a temporary prefix and starts the player from its launcher.
install-check: build
	@bash scripts/install-check.sh $(BUILD)

# A Debian package of what `make install` installs, with the prefix /usr,
# made by CPack: $(BUILD)/glint_<version>_<architecture>.deb.
package: content
	@cd $(BUILD) && cpack

# Checks the package with lintian, installs it with apt-get (as root, or
# with sudo), starts the installed launcher on a display of its own and
# purges the package again.
package-check: package
	@bash scripts/package-check.sh $(BUILD)

# A short session of the real player under valgrind's memcheck.
memcheck: build
	@bash scripts/memcheck.sh $(BUILD)

bench: build
	@bash scripts/bench.sh $(BUILD)

# The screenshots of the dialog, the opening, the main screen and the end
# title, taken from the real player on a private display, into
# $(BUILD)/screenshots/.
.PHONY: screenshots
screenshots: content
	@bash scripts/screenshots.sh $(BUILD)

# The archive, picture and stream readers under libFuzzer (clang), one
# target after the other; see scripts/fuzz.sh.
fuzz: setup
	@FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz.sh

# The whole test suite under AddressSanitizer and UBSan, in build-asan.
test-sanitize: setup
	@bash scripts/test-sanitize.sh build-asan

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD)
