# The two commands of the README. Both install what is missing first.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
FUZZ_TIME  ?= 20
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test test-normal test-asan demo clean format fuzz

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# The data is made again only when vantor-tool changed (scripts/demo-data.sh keeps a stamp). The
# folder is the build's own, so make-demo may replace it even from before it marked its output.
demo: build
	bash scripts/demo-data.sh $(BUILD)/vantor-tool $(BUILD)/demo

run: demo
	cd $(BUILD)/demo && ../vantor

# CI runs this: a normal build with warnings as errors, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTOR_WERROR=ON -DVANTOR_SANITIZE=ON -DVANTOR_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz

# Every loader's libFuzzer target for FUZZ_TIME seconds, starting from small valid files that the
# format writers make. A crash, a hang (an input taking over 10 s) or a sanitizer report fails.
FUZZ_FLAGS = -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_FUZZ=ON -DVANTOR_BENCH=OFF "-DCMAKE_C_FLAGS=$(FUZZ_FLAGS)" "-DCMAKE_CXX_FLAGS=$(FUZZ_FLAGS)" $(CMAKE_FLAGS)
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_all
	rm -rf $(BUILD_FUZZ)/corpus && mkdir -p $(BUILD_FUZZ)/artifacts
	$(BUILD_FUZZ)/fuzz/fuzz_seeds $(BUILD_FUZZ)/corpus
	set -e; for t in $(BUILD_FUZZ)/fuzz/fuzz_*; do \
	  name=$$(basename $$t); [ $$name = fuzz_seeds ] && continue; \
	  echo "== $$name"; mkdir -p $(BUILD_FUZZ)/corpus/$$name; \
	  status=0; $$t -max_total_time=$(FUZZ_TIME) -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=$(BUILD_FUZZ)/artifacts/$$name- $(BUILD_FUZZ)/corpus/$$name \
	    > $(BUILD_FUZZ)/artifacts/$$name.log 2>&1 || status=$$?; \
	  tail -n 12 $(BUILD_FUZZ)/artifacts/$$name.log; [ $$status -eq 0 ] || exit 1; \
	done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
