# make run: install what is missing, build, start the program.
# make test: install what is missing, build, run every test (offscreen).
# make package: build/velmora_<version>_amd64.deb; make check-package checks it.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test test-asan format check-format clean bench fuzz soak \
  package check-package

all: build

deps:
	@missing=$$(grep -v '^#' packages.txt | grep -v '^$$' | while read -r p; do \
	  dpkg-query -W -f='$${Status}' "$$p" 2>/dev/null | grep -q 'install ok installed' || echo "$$p"; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/velmora

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DVELMORA_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# The Debian package of the build tree, written into it.
package: build
	cd $(BUILD) && cpack -G DEB

# Unpacks the package into a scratch root, runs the programs from there and
# validates it (lintian, desktop-file-validate, appstreamcli).
check-package: package
	bash packaging/check_package.sh $$(ls -t $(BUILD)/velmora_*.deb | head -n 1)

bench: build
	$(BUILD)/velmora-bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)

# make fuzz: the libFuzzer targets of tests/fuzz, built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, each run for
# FUZZ_SECONDS on a scratch copy of its seed corpus (the repository is not
# written). Fails on the first finding; the input is kept in the scratch
# folder named in the output. The targets that keep a program state between
# inputs check for leaks at exit only: a state that grows is not a leak, and
# checking after every such input slows them fivefold.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
FUZZ_TARGETS ?= $(sort $(notdir $(basename $(wildcard tests/fuzz/*.cpp))))

fuzz: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -DVELMORA_FUZZ=ON $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	@for t in $(FUZZ_TARGETS); do \
	  scratch=$$(mktemp -d "$${TMPDIR:-/tmp}/velmora-$$t-XXXXXX"); \
	  mkdir -p "$$scratch/corpus"; \
	  cp tests/fuzz/corpus/$$t/* "$$scratch/corpus/" 2>/dev/null || true; \
	  echo "== $$t: $(FUZZ_SECONDS) s, scratch $$scratch"; \
	  case $$t in fuzz_callbacks|fuzz_screens) leaks=-detect_leaks=0;; *) leaks=;; esac; \
	  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	      LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	      $(FUZZ_BUILD)/$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	      -timeout=60 $$leaks \
	      -artifact_prefix="$$scratch/" "$$scratch/corpus" > "$$scratch/log" 2>&1; then \
	    tail -n 60 "$$scratch/log"; \
	    echo "== $$t: FINDING, input kept in $$scratch"; exit 1; \
	  fi; \
	  grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE)' "$$scratch/log" | tail -n 1; \
	  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$$scratch/log"; \
	  rm -rf "$$scratch"; \
	done

# make soak: SOAK_RUNS alternating Option 1 and Option 2 runs in one
# velmora-script session; prints the resident size and the window count,
# fails when memory grows or windows are left behind.
SOAK_RUNS ?= 1000

soak: build
	bash bench/soak.sh $(BUILD) $(SOAK_RUNS)
