"""The manual pages document exactly the options that --help lists, and render cleanly.

Run by CTest, which names the programs and the folder of the built pages in the environment.
"""

import gzip
import os
import subprocess
import unittest

from option_lists import differences, help_options, help_subcommands, man_options, man_sections

COUNT = os.environ["TAMREX_COUNT"]
WINDOW = os.environ["TAMREX_WINDOW"]
MAN_DIR = os.environ["TAMREX_MAN_DIR"]
NO_DISPLAY = {key: value for key, value in os.environ.items()
              if key not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}


def help_text(*command):
    return subprocess.run([*command, "--help"], check=True, capture_output=True, text=True,
                          env=NO_DISPLAY).stdout


def page(name):
    with open(os.path.join(MAN_DIR, name + ".1"), encoding="utf-8") as source:
        return source.read()


class PagesMatchHelp(unittest.TestCase):
    def assert_documents(self, page_name, section, command):
        listed = help_options(help_text(*command))
        self.assertGreater(len(listed), 1, f"read no options from {command} --help: is its layout new?")
        self.assertEqual(differences(listed, man_options(page(page_name), section)), [],
                         f"the {section} of {page_name}.1 against {' '.join(command)} --help")

    def test_count_options(self):
        self.assert_documents("tamrex-count", "OPTIONS", [COUNT])

    def test_calibrate_options(self):
        self.assert_documents("tamrex-count", "CALIBRATE OPTIONS", [COUNT, "calibrate"])

    def test_window_options(self):
        self.assert_documents("tamrex", "OPTIONS", [WINDOW])

    def test_every_subcommand_has_a_section(self):
        subcommands = help_subcommands(help_text(COUNT))
        self.assertIn("calibrate", subcommands)
        for subcommand in subcommands:
            self.assertIn(f"{subcommand.upper()} OPTIONS", man_sections(page("tamrex-count")))

    def test_a_page_that_drifted_is_caught(self):
        listed = help_options(help_text(COUNT))
        drifted = (page("tamrex-count").replace(r".BI \-\-max\-pixels", r".BI \-\-max\-pixel")
                   .replace(r'.BI "\-j, \-\-jobs " N', r'.BI "\-\-jobs " N', 1)
                   .replace(r'.BI \-\-ini " FILE"', r".B \-\-ini"))
        self.assertEqual(differences(listed, man_options(drifted, "OPTIONS")), [
            "--ini takes FILE, the page says none",
            "--jobs is on the page but not in --help",
            "--max-pixel is on the page but not in --help",
            "--max-pixels is missing from the page",
            "-j, --jobs is missing from the page",
        ])


class PagesRender(unittest.TestCase):
    def test_groff_has_no_warnings(self):
        for name in ("tamrex-count", "tamrex"):
            source = os.path.join(MAN_DIR, name + ".1")
            run = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z", source],
                                 capture_output=True, text=True)
            self.assertEqual((run.returncode, run.stderr), (0, ""), name)

    def test_installed_pages_are_the_pages_compressed(self):
        for name in ("tamrex-count", "tamrex"):
            with gzip.open(os.path.join(MAN_DIR, name + ".1.gz"), "rt", encoding="utf-8") as installed:
                self.assertEqual(installed.read(), page(name), name)

    def test_the_version_is_filled_in(self):
        for name in ("tamrex-count", "tamrex"):
            first = page(name).splitlines()[0]
            self.assertIn(f'"tamrex {os.environ["TAMREX_VERSION"]}"', first, name)


if __name__ == "__main__":
    unittest.main()
