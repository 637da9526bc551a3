#include "look/SecondLookCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace tamrex {
namespace {

using Matrix = std::array<std::array<double, 4>, 3>;  // three equations, right-hand side last

// Gaussian elimination with partial pivoting on the first `unknowns` equations;
// false when they do not fix the unknowns (points in too few columns).
bool Solve(Matrix& system, int unknowns, std::array<double, 3>& solution) {
    for (int pivot = 0; pivot < unknowns; ++pivot) {
        int best = pivot;
        for (int row = pivot + 1; row < unknowns; ++row) {
            if (std::abs(system[row][pivot]) > std::abs(system[best][pivot])) best = row;
        }
        if (std::abs(system[best][pivot]) < 1e-12) return false;
        std::swap(system[pivot], system[best]);
        for (int row = pivot + 1; row < unknowns; ++row) {
            const double factor = system[row][pivot] / system[pivot][pivot];
            for (int column = pivot; column < 4; ++column)
                system[row][column] -= factor * system[pivot][column];
        }
    }
    for (int row = unknowns - 1; row >= 0; --row) {
        double rest = system[row][3];
        for (int column = row + 1; column < unknowns; ++column)
            rest -= system[row][column] * solution[column];
        solution[row] = rest / system[row][row];
    }
    return true;
}

// The normal equations of the fit in powers of u; the right-hand side in column 3.
Matrix NormalEquations(const std::vector<CurvePoint>& points, double middle, double halfWidth, int unknowns) {
    Matrix system{};
    for (const CurvePoint& point : points) {
        const double u = (point.column - middle) / halfWidth;
        const std::array<double, 3> powers{1, u, u * u};
        for (int row = 0; row < unknowns; ++row) {
            for (int column = 0; column < unknowns; ++column)
                system[row][column] += powers[row] * powers[column];
            system[row][3] += powers[row] * point.row;
        }
    }
    return system;
}

}  // namespace

std::optional<EdgeCurve> FitCurve(const std::vector<CurvePoint>& points, double middle, double halfWidth) {
    for (int unknowns = std::min<int>(3, static_cast<int>(points.size())); unknowns > 0; --unknowns) {
        Matrix system = NormalEquations(points, middle, halfWidth, unknowns);
        std::array<double, 3> solution{};
        if (Solve(system, unknowns, solution))
            return EdgeCurve{solution[0], solution[1], solution[2], middle, halfWidth};
    }
    return std::nullopt;
}

}  // namespace tamrex
