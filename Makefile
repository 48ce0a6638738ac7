# Two entry points for a fresh Debian 12 machine (as root):
#   make demo   builds everything and runs the main job
#   make test   builds and runs every test
.PHONY: all deps build demo test clean artwork

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B build -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build -j $$(nproc)

demo: build
	@scripts/demo.sh

test: deps
	@scripts/run-tests.sh

# Redraws the editor's PNGs into resources/ (they are committed).
artwork: deps
	@cmake -S . -B build -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build -j $$(nproc) --target artwork

clean:
	rm -rf build build-asan build-tsan build-fuzz
