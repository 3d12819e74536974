# SPDX-License-Identifier: GPL-3.0-or-later
# Joins the fragments of one language (one per area of the program) into its catalogue.
file(WRITE "${OUT}.tmp" "")
foreach(f ${IN})
  file(READ "${f}" content)
  file(APPEND "${OUT}.tmp" "# --- ${f}\n${content}\n")
endforeach()
file(RENAME "${OUT}.tmp" "${OUT}")
