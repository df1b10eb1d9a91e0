# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings every target of ours gets; third-party headers are included as system headers.
add_library(kestrow_warnings INTERFACE)
target_compile_options(kestrow_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wimplicit-fallthrough -Wno-missing-field-initializers)
