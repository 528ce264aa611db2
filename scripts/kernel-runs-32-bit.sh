#!/usr/bin/env bash
# Exits 0 when the kernel runs 32-bit x86 programs. Some kernels are built or booted without
# that, and there wine32 cannot start. A five-instruction program that only exits tells.
# ZELVAN_KERNEL_RUNS_32_BIT=1 (or 0) answers yes (or no) without the probe, for the tests of
# the scripts that ask.
set -u
case "${ZELVAN_KERNEL_RUNS_32_BIT:-}" in
1) exit 0 ;;
0) exit 1 ;;
esac
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n\tmovl $1, %%eax\n\txorl %%ebx, %%ebx\n\tint $0x80\n' |
  as --32 -o "$dir/probe.o" - && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" &&
  "$dir/probe" 2>/dev/null
