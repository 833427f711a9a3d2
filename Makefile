# The two commands of the README. Both install what is missing first.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
FUZZ_TIME  ?= 20
FUZZ_LONG_TIME ?= 600
FUZZ_JOBS  ?= 1
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test test-normal test-asan demo clean format fuzz fuzz-build fuzz-long

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
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_FUZZ=ON -DVANTOR_BENCH=OFF "-DCMAKE_C_FLAGS=$(FUZZ_FLAGS)" "-DCMAKE_CXX_FLAGS=$(FUZZ_FLAGS)" $(CMAKE_FLAGS)
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_all

fuzz: fuzz-build
	bash scripts/run-fuzzers.sh $(BUILD_FUZZ) $(FUZZ_TIME)

# Not run by CI: every target for FUZZ_LONG_TIME seconds (10 minutes by default), FUZZ_JOBS
# targets at a time, with the executions of each in $(BUILD_FUZZ)/artifacts/summary.txt.
fuzz-long: fuzz-build
	bash scripts/run-fuzzers.sh $(BUILD_FUZZ) $(FUZZ_LONG_TIME) $(FUZZ_JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
