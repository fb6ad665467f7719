# Folivo: build, run, test, package, benchmark and fuzz.
BUILD      := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
CMAKE_GEN  := -G Ninja
SAMPLE     := examples/sample.pdf

.PHONY: all deps build build-asan run test test-normal test-asan deb bench fuzz clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD)

build-asan: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DFOLIVO_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD)

run: build
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
		./$(BUILD)/app/folivo $(SAMPLE); \
	else \
		echo "Keine Anzeige gefunden (weder DISPLAY noch WAYLAND_DISPLAY gesetzt): zeige stattdessen die Befehlszeilen-Demo."; \
		scripts/demo $(BUILD); \
	fi

test: test-normal test-asan

test-normal: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

test-asan: build-asan
	ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

deb: build
	@cd $(BUILD) && cpack
	@echo "Paket: $$(ls $(BUILD)/folivo_*.deb)"

bench: build
	@scripts/bench $(BUILD)

fuzz: deps
	@scripts/fuzz $(FUZZ_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
