"""The options that a --help text lists and those that a section of a manual page documents,
as {names: value name}, e.g. {("-j", "--jobs"): "N", ("--json",): ""}."""

import re
import shlex

NAMES = r"-{1,2}[\w-]+(?:, ?-{1,2}[\w-]+)*"
HELP_LINE = re.compile(rf"^  ({NAMES})(?: (\S+))?")  # the first column of an option's line
MAN_TAG = re.compile(rf"^({NAMES})(?: (\S+))?$")
ONE_NAME = re.compile(r"-{1,2}[\w-]+")
VALUE_NAME = re.compile(r"^([A-Z][A-Z=_]*)(?::|$)")  # "N:INT in [...]" names N; "Excludes:" nothing
TROFF_ESCAPES = re.compile(r"\\f[BIRP]|\\&|\\%")


def entry(names_text, value_text):
    value = VALUE_NAME.match(value_text or "")
    return tuple(ONE_NAME.findall(names_text)), value.group(1) if value else ""


def help_block(text, title):
    """The lines of the block headed `title` ("Options:") in a --help text."""
    lines = text.splitlines()
    if title not in lines:
        return []
    block = []
    for line in lines[lines.index(title) + 1:]:
        if line and not line.startswith(" "):
            break
        block.append(line)
    return block


def help_options(text):
    options = {}
    for line in help_block(text, "Options:"):
        match = HELP_LINE.match(line)
        if match:
            names, value = entry(*match.groups())
            options[names] = value
    return options


def help_subcommands(text):
    return [line.split()[0] for line in help_block(text, "Subcommands:") if line.strip()]


def printed_text(request):
    """What a font request such as `.BI "\\-j, \\-\\-jobs " N` prints: alternating-font
    requests join their arguments, .B, .I and .SH put a blank between them."""
    macro, _, arguments = request.partition(" ")
    words = shlex.split(TROFF_ESCAPES.sub("", arguments.replace("\\-", "-")))
    return (" " if macro in (".B", ".I", ".SH") else "").join(words)


def man_sections(source):
    return [printed_text(line) for line in source.splitlines() if line.startswith(".SH ")]


def man_options(source, section):
    """The options of the .TP items of a section ("OPTIONS") of a man(7) page."""
    options = {}
    lines = source.splitlines()
    in_section = False
    for line, following in zip(lines, lines[1:]):
        if line.startswith(".SH "):
            in_section = printed_text(line) == section
        elif in_section and line == ".TP":
            match = MAN_TAG.match(printed_text(following))
            if match:
                names, value = entry(*match.groups())
                options[names] = value
    return options


def differences(listed, documented):
    """What a page gets wrong about the options that --help lists, one line each."""
    problems = []
    for names, value in listed.items():
        shown = ", ".join(names)
        if names not in documented:
            problems.append(f"{shown} is missing from the page")
        elif documented[names] != value:
            said = documented[names] or "none"
            problems.append(f"{shown} takes {value or 'no value'}, the page says {said}")
    for names in documented.keys() - listed.keys():
        problems.append(f"{', '.join(names)} is on the page but not in --help")
    return sorted(problems)
