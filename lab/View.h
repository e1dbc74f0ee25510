#pragma once

#include <string>
#include <vector>

// What the picture shows: the coefficients; the start (the picture as opened); the coefficients
// minus the start, zero at mid grey; which coefficients the last keep-the-largest kept; the
// picture as opened, coded and decoded at the Code panel's budget (CodedPicture); or the browser's
// JPEG or WebP of it at no more bytes, which the page makes.
enum class View { coefficients, opened, difference, kept, coded, jpeg, webp };

// The views' names in the order of View, as links and the page's list write them.
const std::vector<std::string>& viewNames();
// The view called `name`, or false when none is.
bool viewNamed(const std::string& name, View& view);
const std::string& viewName(View view);
