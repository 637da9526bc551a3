"""--version of both programs names the project, FreeImage and Qt; the window answers --help
and --version without a display, and refuses a start folder that does not exist.

Run by CTest, which names the programs and the versions the build used in the environment.
"""

import os
import re
import subprocess
import unittest

COUNT = os.environ["TAMREX_COUNT"]
WINDOW = os.environ["TAMREX_WINDOW"]
VERSION = re.escape(os.environ["TAMREX_VERSION"])
QT_VERSION = re.escape(os.environ["TAMREX_QT_VERSION"])
NO_DISPLAY = {key: value for key, value in os.environ.items()
              if key not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}


def run(*command, env=NO_DISPLAY):
    return subprocess.run(command, capture_output=True, text=True, env=env)


def freeimage_version(text):
    return re.search(r"FreeImage (\d+\.\d+\.\d+)", text).group(1)


class Versions(unittest.TestCase):
    def test_count_names_the_qt_its_window_was_built_with(self):
        out = run(COUNT, "--version").stdout
        self.assertRegex(out, rf"^tamrex-count {VERSION} \(FreeImage \d+\.\d+\.\d+, "
                              rf"window built with Qt {QT_VERSION}\)\n$")

    def test_window_names_the_libraries_it_runs_with(self):
        out = run(WINDOW, "--version").stdout
        self.assertRegex(out, rf"^tamrex {VERSION} \(FreeImage \d+\.\d+\.\d+, Qt \d+\.\d+\.\d+\)\n$")

    def test_both_name_the_same_freeimage(self):
        self.assertEqual(freeimage_version(run(COUNT, "--version").stdout),
                         freeimage_version(run(WINDOW, "--version").stdout))


class WindowCommandLine(unittest.TestCase):
    def test_help_and_version_need_no_display(self):
        for option, start in (("--help", "Usage: tamrex [--ini FILE] [--log FILE | --no-log] [PHOTO | FOLDER]\n"), ("--version", "tamrex ")):
            answer = run(WINDOW, option)
            self.assertEqual((answer.returncode, answer.stderr), (0, ""), option)
            self.assertTrue(answer.stdout.startswith(start), answer.stdout)

    def test_a_missing_photo_is_a_usage_error_naming_it(self):
        offscreen = {**NO_DISPLAY, "QT_QPA_PLATFORM": "offscreen"}
        answer = run(WINDOW, "/nonexistent/stack.jpg", env=offscreen)
        self.assertEqual(answer.returncode, 2)
        self.assertIn("tamrex: cannot open '/nonexistent/stack.jpg': No such file or directory\n"
                      "Give one photo, or one folder of photos; 'tamrex --help' tells more.\n", answer.stderr)


if __name__ == "__main__":
    unittest.main()
