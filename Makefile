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
