#!/usr/bin/env bash
# Exits 0 when the kernel runs 32-bit x86 programs. Some kernels are built or booted without
# that, and there wine32 cannot start. A five-instruction program that only exits tells.
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n\tmovl $1, %%eax\n\txorl %%ebx, %%ebx\n\tint $0x80\n' |
  as --32 -o "$dir/probe.o" - && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" &&
  "$dir/probe" 2>/dev/null
