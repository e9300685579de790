# Quorbel: `make run` and `make test` do all set-up on a fresh Debian 12 machine.
BUILD    ?= build
PREFIX   ?= /usr/local
JOBS     ?= 2
PACKAGES := cmake g++ make qt6-base-dev imagemagick xvfb xauth xdotool openbox x11-utils fonts-liberation desktop-file-utils clang-format
PACKAGES += librsvg2-bin libqt6svg6 zlib1g-dev clang-tidy libgdk-pixbuf2.0-bin
# Readers of the icon kit's files in its tests.
PACKAGES += icnsutils python3-pil gtk-update-icon-cache

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test sanitize bench install clean format format-check tidy package package-clean

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
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) -DQUORBEL_WERROR=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/quorbel

test: build
	cd $(BUILD) && ctest --output-on-failure -j1

# The unit and widget suites built with AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_BUILD ?= build-sanitize
sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DQUORBEL_SANITIZE=ON -DQUORBEL_WERROR=ON
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/leaks.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j1 -L "unit|widget"

bench: build
	cmake --build $(BUILD) -j$(JOBS) --target quorbel_bench
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/quorbel_bench

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, built without the tests with Debian's hardening flags, and the
# tools that make and check it (tests/package/check-package.sh).
PACKAGE_BUILD ?= build-package
package: PACKAGES += dpkg-dev lintian appstream desktop-file-utils man-db
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUORBEL_BUILD_TESTS=OFF \
	  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)
	rm -f quorbel_*.deb $(PACKAGE_BUILD)/quorbel_*.deb
	cd $(PACKAGE_BUILD) && cpack -G DEB
	cp $(PACKAGE_BUILD)/quorbel_*.deb .

package-clean:
	rm -rf $(PACKAGE_BUILD) quorbel_*.deb
clean: package-clean

SOURCES = $$(git ls-files '*.cpp' '*.h')

format:
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run --Werror $(SOURCES)

# Fault-finding checks of .clang-tidy over the program's sources; any finding fails.
tidy: build
	git ls-files 'src/*.cpp' | xargs -P$(JOBS) -n4 clang-tidy -p $(BUILD) --quiet --warnings-as-errors='*'

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
