# Quick start: `make test` builds everything and runs every test;
# `make run` starts the program against a virtual controller.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test unit run bench lint asan tsan fuzz clean format

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

unit: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L unit

run: build
	@scripts/run-demo $(BUILD)

bench: build
	@for b in $(BUILD)/bench/*/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b"; done; true

# clang-tidy and cppcheck over the program's own code (src/ and tools/);
# any finding fails. Generated moc files need a built tree.
lint: build
	scripts/lint $(BUILD)

# Any report fails the run; what Qt and the system libraries are known to
# report is suppressed in scripts/sanitizers, each entry with its reason.
SAN_DIR = $(CURDIR)/scripts/sanitizers
SAN_ENV = LSAN_OPTIONS=suppressions=$(SAN_DIR)/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	TSAN_OPTIONS=suppressions=$(SAN_DIR)/tsan.supp:halt_on_error=1:second_deadlock_stack=1

asan: deps
	cmake --preset asan
	cmake --build build-asan -j $(JOBS)
	cd build-asan && $(SAN_ENV) ctest --output-on-failure -j $(JOBS) -L 'unit|integration|gui' \
		--timeout 600

# The thread sanitizer on everything that runs more than one thread, the
# application's reader, display tick, lost link and shutdown included.
TSAN_TESTS = test_msglib test_data test_data_link test_link_pty test_link_device_emu \
	test_app_frame test_views_statusbar test_app_recording
tsan: deps
	cmake --preset tsan
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)
	cd build-tsan && $(SAN_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600 \
		-R '^(ThreadManager|Thread|Event|Semaphore|Mutex|DiagData|ReaderLoop|ReaderLink|ReaderEmu|Exchange|DeviceEmu|MainFrameEmu|BottomViewEmu|RecordingFrame)'

# Each fuzz target for FUZZ_SECONDS (clang and libFuzzer): every folder of
# fuzz/ is one, built as fuzz_<folder>. A target's committed seeds in
# fuzz/<target>/corpus are read but never written; what it finds stays in
# build-fuzz/corpus. A crash, a leak or a time-out fails the run.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = $(sort $(notdir $(patsubst %/,%,$(wildcard fuzz/*/))))
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DNIMO_BUILD_TESTS=OFF -DNIMO_BUILD_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@# As many targets at once as there are cores, each for its full time.
	@printf '%s\n' $(FUZZ_TARGETS) | xargs -P $(JOBS) -I{} scripts/fuzz-one {} $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
