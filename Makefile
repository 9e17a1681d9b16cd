# The two commands of a fresh Debian 12 machine:
#   make run    installs what is missing, builds and starts Quillmere
#   make test   installs what is missing, builds and runs every test headless

BUILD_DIR ?= build
WERROR    ?= OFF
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench install clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DQUILLMERE_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	./$(BUILD_DIR)/quillmere

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel $(JOBS)

bench: build
	./bench/run-bench.sh $(BUILD_DIR)

install: build
	cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)

# CI's further legs, each in a build folder of its own (see the README).
CLANG_CXX ?= clang++

.PHONY: test-clang test-sanitize test-asan test-tsan

test-clang: deps
	cmake -S . -B build-clang -G Ninja -DCMAKE_CXX_COMPILER=$(CLANG_CXX) -DQUILLMERE_WERROR=ON
	cmake --build build-clang --parallel $(JOBS)
	cd build-clang && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel $(JOBS)

# Debug builds: nothing is optimized away before the sanitizers see it, and the checks in Qt's
# headers run too.
test-sanitize: test-asan test-tsan

test-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=$(CLANG_CXX) -DCMAKE_BUILD_TYPE=Debug \
	    -DQUILLMERE_SANITIZE=address,undefined
	cmake --build build-asan --parallel $(JOBS)
	tools/sanitizers/ctest.sh build-asan --parallel $(JOBS)

test-tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_CXX_COMPILER=$(CLANG_CXX) -DCMAKE_BUILD_TYPE=Debug \
	    -DQUILLMERE_SANITIZE=thread
	cmake --build build-tsan --parallel $(JOBS) --target quillmere_threaded_tests
	tools/sanitizers/ctest.sh build-tsan --parallel $(JOBS) --label-regex '^threads$$'
