// The record's job (job::RecordJob) as a Python class with typed fields, which the package
// fills from its functions' keywords. An attribute the class lacks cannot be set, so a field
// renamed in C++ fails the package loudly instead of changing what it asks for.
#pragma once

#include <pybind11/pybind11.h>

namespace wavespec::python {

void bind_job(pybind11::module_& m);

}  // namespace wavespec::python
