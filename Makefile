# Quorbel: `make run` and `make test` do all set-up on a fresh Debian 12 machine.
BUILD    ?= build
PREFIX   ?= /usr/local
JOBS     ?= 2
PACKAGES := cmake g++ make qt6-base-dev imagemagick xvfb xauth xdotool openbox x11-utils fonts-liberation desktop-file-utils clang-format
PACKAGES += librsvg2-bin libqt6svg6

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test bench install clean format format-check tidy

all: build

# Installs only what is missing, so a prepared machine pays nothing.
deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing </dev/null; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/quorbel

test: build
	cd $(BUILD) && ctest --output-on-failure -j1

bench: build
	cmake --build $(BUILD) -j$(JOBS) --target quorbel_bench
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/quorbel_bench

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

SOURCES = $$(git ls-files '*.cpp' '*.h')

format:
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run --Werror $(SOURCES)

# Fault-finding checks of .clang-tidy over the program's sources (needs clang-tidy).
tidy: build
	clang-tidy -p $(BUILD) --quiet $$(git ls-files 'src/*.cpp')

clean:
	rm -rf $(BUILD)
