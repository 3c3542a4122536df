# The two everyday commands: `make demo` and `make test`. Both install any
# missing Debian package first, then configure and build.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PACKAGES := cmake g++ make pkg-config libgtest-dev libfyaml-dev libre2-dev libssl-dev

.PHONY: all deps build test demo fuzz clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	command -v npm >/dev/null 2>&1 || missing="$$missing npm"; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  if [ "$$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi; \
	  $$sudo apt-get update -q && DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -q $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

demo: build
	@./$(BUILD)/front-end/zav-parser __engine-load examples/bundle && echo

# libFuzzer needs clang; Debian 12's clang-19 reads our C++23.
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="clang-19 libclang-rt-19-dev $(PACKAGES)"
	cmake -S . -B build-fuzz -DZAV_FUZZ=ON -DZAV_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++-19
	cmake --build build-fuzz -j $(JOBS)

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
