// tamrex-make-photo: writes one synthetic photo of a board stack as a JPEG file.

#include "tools/photo/StackPhoto.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace {

using tamrex::testing::StackPhotoRecipe;

constexpr int kBadArguments = 2;
constexpr int kFailed = 1;

// One command per kind of photo an operator brings, each with the boards it draws.
constexpr const char* kExamples = R"(Examples, run from the project root:
  A stack beside a pallet, on bearers, before a bright wall above a floor (24 boards):
    tamrex-make-photo --width 2016 --height 1512 --boards 24 --board-rows 22 --gap-rows 4 --stack-left 0.15 \
      --stack-right 0.62 --background wall --background-level 170 --floor-level 110 --bearers 3 --neighbour pallet beside.jpg
  A small stack in a dark frame, another stack beside it (9 boards):
    tamrex-make-photo --width 2448 --height 2048 --boards 9 --board-rows 40 --gap-rows 6 --stack-left 0.2 \
      --stack-right 0.55 --background-level 18 --neighbour stack dark.jpg
  A stack that runs off every edge (46 boards, of which --print-layout says 44 show):
    tamrex-make-photo --width 1200 --height 900 --boards 46 --board-rows 18 --gap-rows 3 --margin-top -40 \
      --margin-bottom -40 --stack-left -30 --stack-right 1250 --print-layout full.jpg
  Double-wall corrugated board, dark, with open flute ends (14 boards):
    tamrex-make-photo --boards 14 --board-rows 28 --gap-rows 4 --board-level 150 --gap-level 12 --face double-flutes \
      --flute-ends corrugated.jpg
  Folded boxes (10 boards):  tamrex-make-photo --boards 10 --board-rows 40 --gap-rows 6 --face rounded boxes.jpg
  Plywood, seven plies a board (18 boards):
    tamrex-make-photo --boards 18 --board-rows 24 --gap-rows 3 --face plies --plies 7 plywood.jpg
  Thin sheets under stretch wrap (150 sheets):
    tamrex-make-photo --width 2016 --height 1512 --boards 150 --board-rows 5 --gap-rows 1 --wrap 45 wrapped.jpg
  Outdoors: sky, a shadow, light falling off, gravel and ground (30 boards):
    tamrex-make-photo --width 2016 --height 1512 --boards 30 --board-rows 24 --gap-rows 4 --stack-left 0.08 \
      --stack-right 0.9 --background gravel --background-level 120 --floor-level 140 --sky 15 --shadow 45 \
      --light-slope 30 outdoor.jpg
  A camera not square to the stack, and one aimed down at it (20 boards each):
    tamrex-make-photo --keystone 25 --stack-left 0.1 --stack-right 0.9 --boards 20 --board-rows 16 yawed.jpg
    tamrex-make-photo --keystone-vertical -20 --stack-left 0.15 --stack-right 0.85 pitched.jpg
  Boards of three thicknesses in runs (20 boards):
    tamrex-make-photo --board-rows 16 --mixed-rows 10,26 --mixed-order runs --margin-top 10 --margin-bottom 10 \
      --seed 3 mixed.jpg
  Another scale needs nothing new: --board-rows and --width/--height set it.)";

// Options read after the others: the stack's ends, given as a column or as a fraction
// of the width (0.25), once the width is known; and the list of mixed thicknesses, kept
// to one argument so that it never swallows the file name after it.
struct LateTexts {
    std::string left, right, mixedRows;
};

constexpr double kFarthestColumn = 1e7;  // far past any photo, so the recipe's check refuses it

// A whole number or a decimal one, as the whole text; none for anything else or for a
// number too large to be a column.
template <typename Number>
std::optional<Number> NumberIn(const std::string& text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{} || end != text.data() + text.size() || std::abs(number) > kFarthestColumn) return std::nullopt;
    return number;
}

std::optional<int> ColumnOf(const std::string& text, int width) {
    if (text.find_first_of(".eE") == std::string::npos) return NumberIn<int>(text);
    const auto fraction = NumberIn<double>(text);
    if (!fraction) return std::nullopt;
    return static_cast<int>(std::lround(*fraction * (width - 1)));
}

std::optional<std::vector<int>> NumbersIn(const std::string& text) {
    std::vector<int> numbers;
    std::istringstream in(text);
    for (std::string number; std::getline(in, number, ',');) {
        const auto read = NumberIn<int>(number);
        if (!read) return std::nullopt;
        numbers.push_back(*read);
    }
    if (numbers.empty() || text.back() == ',') return std::nullopt;
    return numbers;
}

// "" when the late options read, otherwise why not.
std::string ReadLate(const LateTexts& texts, StackPhotoRecipe& recipe) {
    if (!texts.mixedRows.empty()) {
        const auto numbers = NumbersIn(texts.mixedRows);
        if (!numbers) return "--mixed-rows: '" + texts.mixedRows + "' is not a list of rows such as 12,30";
        recipe.mixedRows = *numbers;
    }
    for (const auto& [text, end, name] : {std::tuple{&texts.left, &recipe.leftEnd, "--stack-left"},
                                          std::tuple{&texts.right, &recipe.rightEnd, "--stack-right"}}) {
        if (text->empty()) continue;
        *end = ColumnOf(*text, recipe.width);
        if (!*end) {
            return std::string(name) + ": '" + *text + "' is neither a column (300) nor a fraction of the width (0.25)";
        }
    }
    return {};
}

// An option naming one of a few kinds, shown in the help by their names.
template <typename Kind>
void AddKind(CLI::App& app, const std::string& name, Kind& kind, const std::map<std::string, Kind>& names,
             const std::string& help) {
    std::string choices, current;
    for (const auto& [word, value] : names) {
        choices += (choices.empty() ? "" : "|") + word;
        if (value == kind) current = word;
    }
    // Turns the name into the kind's number, which the option then reads.
    const auto read = [names, choices](std::string& text) -> std::string {
        const auto found = names.find(CLI::detail::to_lower(text));
        if (found == names.end()) return "'" + text + "' is none of " + choices;
        text = std::to_string(static_cast<int>(found->second));
        return {};
    };
    app.add_option(name, kind, help)->transform(CLI::Validator(read, ""))->type_name(choices)->default_str(current);
}

// What a real stack brings; each is off unless given.
void AddDifficulties(CLI::App& app, StackPhotoRecipe& recipe) {
    app.add_option("--bow", recipe.bow,
                   "Rows the middle of the stack sags below its ends (negative: bulges up)");
    app.add_flag("--faded-top-gap", recipe.fadedTopGap, "Draw the gap under the top board faint");
    app.add_option("--thickness-jitter", recipe.thicknessJitter,
                   "Each board is --board-rows give or take up to this many rows");
    app.add_option("--broken-gaps", recipe.brokenGaps, "Gaps where the boards touch in a few short places");
    app.add_option("--missing-segments", recipe.missingSegments,
                   "Gaps of which a tenth to a third of the width is not drawn");
    app.add_option("--straps", recipe.straps, "Dark vertical straps across the stack");
    app.add_option("--light-slope", recipe.lightSlope,
                   "Percent the light falls from the left to the right edge (negative: right to left)");
    app.add_option("--light-fall", recipe.lightFall,
                   "Percent the light falls from the bottom to the top edge (negative: top to bottom)");
    app.add_option("--vignette", recipe.vignette, "Percent the corners are darker than the middle");
    app.add_option("--bottom-blur", recipe.bottomBlur,
                   "Rows over which the bottom board fades into the floor");
}

// Where the stack stands and what surrounds it.
void AddSurroundings(CLI::App& app, StackPhotoRecipe& recipe, LateTexts& ends) {
    app.add_option("--stack-left", ends.left,
                   "The stack's left end: a column, or a fraction of the width such as 0.2; may lie outside the photo");
    app.add_option("--stack-right", ends.right, "The stack's right end, as --stack-left");
    AddKind(app, "--background", recipe.backdrop,
            {{"plain", tamrex::testing::Backdrop::Plain},
             {"wall", tamrex::testing::Backdrop::Wall},
             {"gravel", tamrex::testing::Backdrop::Gravel}},
            "What lies behind the stack: plain, a blotchy wall, or gravel");
    app.add_option("--floor-level", recipe.floorLevel, "Grey level of the ground below the stack; -1: none");
    app.add_option("--sky", recipe.sky, "Percent of the height at the top that shows bright sky");
    app.add_option("--bearers", recipe.bearers, "Blocks the stack rests on");
    app.add_flag("--on-pallet", recipe.onPallet, "The stack rests on a pallet");
    AddKind(app, "--neighbour", recipe.neighbour,
            {{"none", tamrex::testing::Neighbour::None},
             {"stack", tamrex::testing::Neighbour::Stack},
             {"pallet", tamrex::testing::Neighbour::Pallet}},
            "Another stack or an empty pallet on the stack's wider side (needs --stack-left or --stack-right)");
    app.add_option("--shadow", recipe.shadow, "Percent of the light a shadow across part of the photo takes away");
    app.add_option("--keystone", recipe.keystone,
                   "Percent the stack is taller at the photo's left edge than at its right (negative: the right)");
    app.add_option("--keystone-vertical", recipe.keystoneVertical,
                   "Percent the stack is wider at the photo's top than at its bottom (negative: narrower)");
}

// What the boards' faces show.
void AddFaces(CLI::App& app, StackPhotoRecipe& recipe, LateTexts& texts) {
    AddKind(app, "--face", recipe.face,
            {{"plain", tamrex::testing::BoardFace::Plain},
             {"flutes", tamrex::testing::BoardFace::Flutes},
             {"double-flutes", tamrex::testing::BoardFace::DoubleFlutes},
             {"rounded", tamrex::testing::BoardFace::Rounded},
             {"plies", tamrex::testing::BoardFace::Plies}},
            "Each board's face: plain, corrugated flutes (one or two rows), a rounded fold, or plywood plies");
    app.add_option("--plies", recipe.plies, "Dark ply lines per board of --face plies");
    app.add_flag("--flute-ends", recipe.fluteEnds, "Dark wedges where the boards' ends open");
    app.add_option("--wrap", recipe.wrap, "Percent the stretch wrap over the stack veils it");
    app.add_option("--mixed-rows", texts.mixedRows, "Other board thicknesses mixed in with --board-rows, as 12,30");
    AddKind(app, "--mixed-order", recipe.mixOrder,
            {{"random", tamrex::testing::MixOrder::Random},
             {"cycle", tamrex::testing::MixOrder::Cycle},
             {"runs", tamrex::testing::MixOrder::Runs}},
            "How the thicknesses mix: at random, in turn from the bottom, or in runs of two to six");
}

void AddOptions(CLI::App& app, StackPhotoRecipe& recipe, LateTexts& late, bool& printLayout, std::string& out) {
    app.option_defaults()->always_capture_default();
    app.add_option("--width", recipe.width, "Photo width in pixels");
    app.add_option("--height", recipe.height, "Photo height in pixels");
    app.add_option("--boards", recipe.boards, "Boards in the stack");
    app.add_option("--board-rows", recipe.boardRows, "Thickness of one board in pixel rows");
    app.add_option("--gap-rows", recipe.gapRows, "Thickness of the dark gap between boards");
    app.add_option("--margin-top", recipe.marginTop, "Least rows above the stack; negative: it runs off the top");
    app.add_option("--margin-bottom", recipe.marginBottom,
                   "Least rows below the stack; negative: it runs off the bottom");
    app.add_option("--board-level", recipe.boardLevel, "Grey level of the boards");
    app.add_option("--gap-level", recipe.gapLevel, "Grey level of the gaps");
    app.add_option("--background-level", recipe.marginLevel, "Grey level of what lies behind the stack");
    app.add_option("--faded-gaps", recipe.fadedGaps, "Gaps drawn faint, near the board level");
    app.add_option("--tilt", recipe.tilt, "Rows the stack climbs from the left to the right edge");
    app.add_option("--noise", recipe.noise, "Amplitude of the per-pixel noise");
    AddDifficulties(app, recipe);
    AddSurroundings(app, recipe, late);
    AddFaces(app, recipe, late);
    app.add_flag("--grey", recipe.greyscale, "Write 8-bit grey instead of 24-bit colour");
    app.add_option("--quality", recipe.quality, "JPEG quality, 1 to 100");
    app.add_option("--seed", recipe.seed, "Seed; the same seed gives the same photo");
    app.add_flag("--print-layout", printLayout,
                 "Print where the stack lies as JSON: rows bottom-up in the middle column, and its end columns");
    app.add_option("OUT.jpg", out, "The JPEG file to write")->required();
    app.footer(kExamples);
}

std::string JsonList(const std::vector<int>& values) {
    std::ostringstream text;
    text << '[';
    for (std::size_t index = 0; index < values.size(); ++index) text << (index ? ", " : "") << values[index];
    text << ']';
    return text.str();
}

void PrintLayout(const StackPhotoRecipe& recipe) {
    const tamrex::testing::StackPhotoLayout layout = tamrex::testing::LayoutOf(recipe);
    std::cout << "{\"boards\": " << recipe.boards
              << ", \"boards_in_photo\": " << tamrex::testing::BoardsInPhoto(recipe)
              << ", \"first_board_row\": " << layout.firstBoardRow << ", \"last_board_row\": " << layout.lastBoardRow
              << ", \"left_column\": " << layout.leftColumn << ", \"right_column\": " << layout.rightColumn
              << ", \"board_rows\": " << JsonList(layout.boardRows)
              << ", \"gap_centre_rows\": " << JsonList(layout.gapCentreRows) << "}\n";
}

int BadArguments(const CLI::App& app, const std::string& message) {
    std::cerr << app.get_name() << ": " << message << '\n'
              << CLI::Formatter{}.make_usage(&app, app.get_name())
              << "Run with --help to see the options.\n";
    return kBadArguments;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes a synthetic photo of a stack of boards seen edge-on.", "tamrex-make-photo"};
    StackPhotoRecipe recipe;
    LateTexts late;
    bool printLayout = false;
    std::string out;
    AddOptions(app, recipe, late, printLayout, out);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& error) {
        return BadArguments(app, error.what());
    }

    std::string problem = ReadLate(late, recipe);
    if (problem.empty()) problem = tamrex::testing::ValidateStackPhotoRecipe(recipe);
    if (!problem.empty()) return BadArguments(app, problem);

    std::string error;
    if (!tamrex::testing::WriteStackPhoto(recipe, out, error)) {
        std::cerr << app.get_name() << ": " << error << '\n';
        return kFailed;
    }
    if (printLayout) PrintLayout(recipe);
    return 0;
}
