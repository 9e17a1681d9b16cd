# The two commands of a fresh Debian 12 machine:
#   make run    installs what is missing, builds and starts Quillmere
#   make test   installs what is missing, builds and runs every test headless
# and for Windows, cross-built with mingw-w64 against a Qt kit for Windows:
#   make windows        builds build-windows/Quillmere-1.00-win64.zip and .msi
#   make test-windows   runs every test built for Windows under Wine, and checks the zip, the
#                       installer and the window there

BUILD_DIR ?= build
WERROR    ?= OFF
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench install clean
.PHONY: windows-deps windows-kit windows-configure windows-build windows test-windows

WINDOWS_BUILD_DIR ?= build-windows
# Where a Qt kit for Windows may be had without building it: used when its checksum matches.
QT_WINDOWS_KIT_CACHE ?= ../shared/qt-windows
QT_WINDOWS_KIT = $(WINDOWS_BUILD_DIR)/kit/qt6.4.2-mingw64

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

windows-deps:
	@tools/install-deps.sh windows

windows-kit: windows-deps
	@tools/windows/qt-kit.sh $(WINDOWS_BUILD_DIR)/kit $(QT_WINDOWS_KIT_CACHE)

windows-configure: windows-kit
	$(QT_WINDOWS_KIT)/bin/qt-cmake -S . -B $(WINDOWS_BUILD_DIR) -G Ninja \
		-DCMAKE_BUILD_TYPE=Release -DQUILLMERE_WERROR=ON -DQUILLMERE_BUILD_TOOLS=OFF

windows-build: windows-configure
	cmake --build $(WINDOWS_BUILD_DIR) --parallel $(JOBS)

windows: windows-build
	tools/windows/make-zip.sh $(WINDOWS_BUILD_DIR) $(QT_WINDOWS_KIT)
	tools/windows/make-msi.sh $(WINDOWS_BUILD_DIR)

# The Linux build is what the Windows programs' output is compared with.
test-windows: windows build
	tools/windows/test-windows.sh $(WINDOWS_BUILD_DIR) $(BUILD_DIR)

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
	# Fusion, the style offscreen, draws its button faces with Qt's thread pool, whose threads hand
	# their queue to each other under a QMutex the sanitizer cannot see, in functions that have no
	# name to suppress. The Windows style draws without it; no test here depends on the style.
	QT_STYLE_OVERRIDE=Windows tools/sanitizers/ctest.sh build-tsan --parallel $(JOBS) --label-regex '^threads$$'
