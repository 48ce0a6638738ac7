# Two entry points for a fresh Debian 12 machine (as root):
#   make demo   builds everything and runs the main job
#   make test   builds and runs every test
#   make install  copies the LV2 bundle into ~/.lv2, or into
#                 $(DESTDIR)$(PREFIX)/lib/lv2 when PREFIX or DESTDIR is given
#   make package  writes the Debian package build/corvane_<version>_<arch>.deb
.PHONY: all deps build demo test install package clean artwork

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B build -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build -j $$(nproc)

demo: build
	@scripts/demo.sh

package: build
	@cmake --build build --target package

test: deps
	@scripts/run-tests.sh

# Redraws the editor's PNGs into resources/ (they are committed).
artwork: deps
	@cmake -S . -B build -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build -j $$(nproc) --target artwork

LV2_DIR = $(if $(PREFIX)$(DESTDIR),$(DESTDIR)$(or $(PREFIX),/usr/local)/lib/lv2,$(HOME)/.lv2)
install: build
	@mkdir -p "$(LV2_DIR)"
	@rm -rf "$(LV2_DIR)/Corvane.lv2"
	@cp -R build/bin/Corvane.lv2 "$(LV2_DIR)/"
	@echo "installed $(LV2_DIR)/Corvane.lv2"

clean:
	rm -rf build build-asan build-tsan build-fuzz
