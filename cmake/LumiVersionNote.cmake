# Every suite program file carries its four-part version in an ELF note
# (section ".note.lumicaster.version", owner "Lumicaster", type 1, two
# little-endian uint32: (a << 16) + b and (c << 16) + d), which the updater
# and the server read without loading the file.
#
# lumi_version_note(<target> [a.b.c.d]) stamps the target with the given
# version, or with LUMI_SUITE_VERSION.
set(LUMI_SUITE_VERSION "1.0.0.1" CACHE STRING "Version stamped into every suite program file (a.b.c.d)")

function(lumi_version_note target)
  set(version ${LUMI_SUITE_VERSION})
  if(ARGC GREATER 1)
    set(version ${ARGV1})
  endif()
  if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "lumi_version_note(${target}): '${version}' is not a.b.c.d")
  endif()
  foreach(i 1 2 3 4)
    if(CMAKE_MATCH_${i} GREATER 65535)
      message(FATAL_ERROR "lumi_version_note(${target}): '${version}' has a part above 65535")
    endif()
  endforeach()
  math(EXPR LUMI_NOTE_MS "(${CMAKE_MATCH_1} << 16) + ${CMAKE_MATCH_2}")
  math(EXPR LUMI_NOTE_LS "(${CMAKE_MATCH_3} << 16) + ${CMAKE_MATCH_4}")
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_note.c)
  file(CONFIGURE OUTPUT ${source} CONTENT [=[
/* Generated: the version note of this program file (@version@). */
__asm__(".pushsection .note.lumicaster.version,\"a\",@note\n"
        ".balign 4\n"
        ".long 11\n"   /* owner size, with its zero */
        ".long 8\n"    /* descriptor size */
        ".long 1\n"    /* type: file version */
        ".asciz \"Lumicaster\"\n"
        ".balign 4\n"
        ".long @LUMI_NOTE_MS@\n"
        ".long @LUMI_NOTE_LS@\n"
        ".balign 4\n"
        ".popsection\n");
]=] @ONLY)
  target_sources(${target} PRIVATE ${source})
endfunction()

# Stamps every suite program file that this build makes; called once all of
# them are defined.
function(lumi_stamp_suite_programs)
  foreach(target Lumicaster Cinevane LumicasterManager Freshwell CaptionBlend ResourcesDll)
    if(TARGET ${target})
      lumi_version_note(${target})
    endif()
  endforeach()
endfunction()
