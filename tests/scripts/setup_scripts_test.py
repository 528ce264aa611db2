"""scripts/install-deps.sh and scripts/build-windows.sh --test against stand-ins for apt-get,
dpkg, dpkg-query, sudo, MinGW-w64, CMake, xvfb-run and Wine, put first on PATH: nothing is
installed, built or run, and no network is used. Each case says whether the kernel runs 32-bit
programs, what is installed and how apt-get fails, and checks what the script says and does."""

import os
import pathlib
import shutil
import subprocess
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]

# Each stand-in logs its name and arguments to $STATE/log, then acts on the files of $STATE:
# `missing` (packages not installed), `installable` (what apt-get install can get),
# `update_failures` (how many apt-get updates fail from now on), `architectures` (dpkg's
# foreign ones).
LOG = 'call="${0##*/} $*"\necho "${call//$\'\\n\'/ }" >>"$STATE/log"\n'
STAND_INS = {
    "sudo": 'exec "$@"',
    "dpkg-query": """package=${!#}
missing=$(<"$STATE/missing")
if [[ $'\\n'$missing$'\\n' == *$'\\n'$package$'\\n'* ]]; then
  echo "dpkg-query: no packages found matching $package" >&2
  exit 1
fi
printf 'install ok installed'""",
    "dpkg": """case "$1" in
--print-foreign-architectures) cat "$STATE/architectures" ;;
--add-architecture) echo "$2" >>"$STATE/architectures" ;;
--remove-architecture)
  grep -vxF "$2" "$STATE/architectures" >"$STATE/kept" || true
  mv "$STATE/kept" "$STATE/architectures" ;;
*) exit 2 ;;
esac""",
    "apt-get": """case "$1" in
update)
  failures=$(cat "$STATE/update_failures")
  if [ "$failures" -gt 0 ]; then
    echo $((failures - 1)) >"$STATE/update_failures"
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/$(
      )main/binary-i386/Packages.xz  File has unexpected size (4 != 5). Mirror sync in progress?" >&2
    exit 100
  fi ;;
install)
  shift
  for p in "$@"; do
    case "$p" in -*) continue ;; esac
    if ! grep -qxF "$p" "$STATE/installable"; then
      echo "E: Unable to correct problems, you have held broken packages." >&2
      exit 100
    fi
  done
  for p in "$@"; do
    grep -vxF "$p" "$STATE/missing" >"$STATE/kept" || true
    mv "$STATE/kept" "$STATE/missing"
  done ;;
*) exit 2 ;;
esac""",
    # build-windows.sh: the compilers are only looked for, CMake and xvfb-run only logged.
    "cmake": "exit 0",
    "xvfb-run": "exit 0",
}
MINGW_TOOLS = [
    f"{triplet}-{tool}"
    for triplet in ("x86_64-w64-mingw32", "i686-w64-mingw32")
    for tool in ("gcc-posix", "g++-posix", "windres", "dlltool", "objdump")
]
WINE_STARTS = "exit 0"
WINE_FAILS = 'echo "wine: could not load ntdll.so" >&2; exit 1'


class SetupScripts(unittest.TestCase):
    def setUp(self):
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="zelvan-setup-"))
        self.addCleanup(shutil.rmtree, self.folder)
        self.bin = self.folder / "bin"
        self.wine = self.folder / "wine"
        self.state = self.folder / "state"
        for folder in (self.bin, self.wine, self.state):
            folder.mkdir()
        for name, body in STAND_INS.items():
            self.stand_in(self.bin / name, body)
        for name in MINGW_TOOLS:
            self.stand_in(self.bin / name, "exit 0")
        self.stand_in(self.wine / "wine64", WINE_STARTS)
        self.path = f"{self.bin}{os.pathsep}{os.environ['PATH']}"
        # Whatever the machine has, these must be the stand-ins, or a case could really install.
        for name in [*STAND_INS, *MINGW_TOOLS]:
            self.assertEqual(shutil.which(name, path=self.path), str(self.bin / name))

    def stand_in(self, path, body):
        path.write_text(f"#!/bin/bash\n{LOG}{body}\n")
        path.chmod(0o755)

    def run_script(self, args, kernel_runs_32_bit, missing=(), installable=(), update_failures=0):
        for name, lines in (("missing", missing), ("installable", installable),
                            ("architectures", ()), ("log", ())):
            (self.state / name).write_text("".join(f"{line}\n" for line in lines))
        (self.state / "update_failures").write_text(f"{update_failures}\n")
        env = dict(os.environ, PATH=self.path, STATE=str(self.state), ZELVAN_WINE_DIR=str(self.wine),
                   ZELVAN_KERNEL_RUNS_32_BIT="1" if kernel_runs_32_bit else "0")
        run = subprocess.run(args, env=env, capture_output=True, text=True, timeout=60)
        calls = (self.state / "log").read_text().splitlines()
        return run, calls

    def test_install_deps_goes_on_without_wine32_and_stops_without_a_needed_package(self):
        always = 1000
        mirror_error = "E: Failed to fetch"
        cases = [
            # what, kernel runs 32-bit, missing, installable, failed updates, exit code, what
            # standard error holds (for a note, exactly that one line)
            ("i386 lists broken", True, ["wine32:i386"], [], always, 0,
             ["install-deps: wine32:i386 cannot be installed (the package lists did not update: "
              f"{mirror_error}", "the 32-bit Windows tests will be skipped"]),
            ("wine32 uninstallable", True, ["wine32:i386"], [], 0, 0,
             ["install-deps: wine32:i386 cannot be installed (E: Unable to correct problems"]),
            ("a needed package missing, lists broken", True, ["libpng-dev"], [], always, 1,
             [mirror_error, "install-deps: not installed: libpng-dev"]),
            ("a needed package uninstallable", False, ["libpng-dev"], [], 0, 1,
             ["E: Unable to correct problems", "install-deps: not installed: libpng-dev ("]),
            ("lists broken, the needed package in the lists at hand", False, ["libpng-dev"],
             ["libpng-dev"], always, 0,
             [mirror_error, "the package lists could not be updated",
              "every package needed is installed; going on"]),
            ("the second update works", False, ["libpng-dev"], ["libpng-dev"], 1, 0, [mirror_error]),
            ("everything installed", True, [], [], always, 0, []),
        ]
        for what, kernel, missing, installable, failures, code, said in cases:
            with self.subTest(what):
                run, calls = self.run_script([str(ROOT / "scripts/install-deps.sh"), "--dev"],
                                             kernel, missing, installable, failures)
                self.assertEqual(run.returncode, code, run.stderr)
                for text in said:
                    self.assertIn(text, run.stderr)
                if code == 0 and missing == ["wine32:i386"]:
                    self.assertEqual(len(run.stderr.splitlines()), 1, run.stderr)
                    # i386 was added for wine32 and, as wine32 did not come, taken away again.
                    self.assertIn("dpkg --add-architecture i386", calls)
                    self.assertIn("dpkg --remove-architecture i386", calls)
                    self.assertEqual((self.state / "architectures").read_text(), "")
                if not missing:
                    self.assertEqual(run.stderr, "")
                # A failed update is tried once more, and only once.
                updates = sum(call.startswith("apt-get update") for call in calls)
                self.assertEqual(updates, min(failures + 1, 2) if missing else 0, calls)

    def test_build_windows_skips_only_the_32_bit_suite_it_cannot_run(self):
        cases = [
            # what, kernel runs 32-bit, the wine32 loader (None: not installed), exit code,
            # the line that says so, whether the 32-bit suite runs
            ("no wine32", True, None, 0,
             "== build-win32: the Windows test suite is SKIPPED: wine32 is not installed", False),
            ("a kernel without 32-bit programs", False, WINE_STARTS, 0,
             "== build-win32: the Windows test suite is SKIPPED: this kernel does not run 32-bit "
             "programs", False),
            ("wine32 installed", True, WINE_STARTS, 0, "", True),
            ("wine32 that does not start", True, WINE_FAILS, 1, "wine does not start", False),
        ]
        for what, kernel, wine32, code, said, runs_32_bit in cases:
            with self.subTest(what):
                loader = self.wine / "wine"
                if wine32:
                    self.stand_in(loader, wine32)
                elif loader.exists():
                    loader.unlink()
                run, calls = self.run_script([str(ROOT / "scripts/build-windows.sh"), "--test"],
                                             kernel)
                self.assertEqual(run.returncode, code, run.stdout + run.stderr)
                self.assertIn(said, run.stdout + run.stderr)
                suites = [call for call in calls if call.startswith("xvfb-run")]
                if code:
                    self.assertEqual(suites, [])
                    continue
                # The 64-bit suite always runs, the 32-bit one where it can; a build whose
                # suite cannot run registers none.
                self.assertEqual([f"{self.wine}/wine64" in call for call in suites],
                                 [True, False] if runs_32_bit else [True], suites)
                configure_32 = [call for call in calls if "-B build-win32" in call]
                self.assertEqual(len(configure_32), 1, calls)
                self.assertIn(f"-DZELVAN_WINE_TESTS={'ON' if runs_32_bit else 'OFF'}",
                              configure_32[0])
                if runs_32_bit:
                    self.assertNotIn("SKIPPED", run.stdout)


if __name__ == "__main__":
    unittest.main(verbosity=2)
