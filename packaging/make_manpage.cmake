# cmake -DTOOL=voq-make -DVERSION=1.0.0 -DOUT=voq-make.1 -P make_manpage.cmake
# Writes voq-make's manual page from its own help texts, so that the page
# and --help never disagree.
function(help_of out)
  execute_process(COMMAND ${TOOL} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TOOL} ${ARGN} --help failed")
  endif()
  # Preformatted roff: backslashes escaped, no line taken for a request.
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

help_of(tool)
# The commands are the indented words under "commands:" in the tool's help.
string(REGEX MATCH "commands:\n(  [a-z]+ [^\n]*\n)+" listing "${tool}")
string(REGEX MATCHALL "\n  [a-z]+" commands "${listing}")

set(page ".TH VOQ-MAKE 1 \"\" \"voq-make ${VERSION}\" \"User Commands\"
.SH NAME
voq-make \\- make and examine Quillovarnenthodex screen savers
.SH SYNOPSIS
.B voq-make
.I COMMAND
.RI [ ARGUMENTS ]
.br
.B voq-make \\-\\-version
.SH DESCRIPTION
.nf
${tool}.fi
.SH COMMANDS
")
foreach(command ${commands})
  string(STRIP "${command}" command)
  help_of(text ${command})
  string(APPEND page ".SS ${command}\n.nf\n${text}.fi\n")
endforeach()
string(APPEND page ".SH SEE ALSO
.BR quillovarnenthodex (6),
.BR xscreensaver (1),
.BR xscreensaver\\-settings (1)
")
file(WRITE ${OUT} "${page}")
