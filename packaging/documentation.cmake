# The licence, changelog, manual pages and shell completion, installed where
# Debian puts them: the copyright file and the changelog beside the README,
# the pages gzip-compressed without names or timestamps, so builds repeat.
set(TEXTCRYPT_RELEASE_DATE "2026-12-11" CACHE STRING
    "Date of this version, for the manual pages")

find_program(TEXTCRYPT_GZIP gzip REQUIRED)

# Compresses SOURCE into OUTPUT.gz the way Debian wants (gzip -9n).
function(textcrypt_gzip source output)
  add_custom_command(
    OUTPUT ${output}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
    COMMAND ${TEXTCRYPT_GZIP} -9nf ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${output}"
    VERBATIM)
endfunction()

set(doc_dir ${CMAKE_CURRENT_BINARY_DIR}/doc)
set(compressed)

textcrypt_gzip(${CMAKE_CURRENT_SOURCE_DIR}/changelog ${doc_dir}/changelog)
list(APPEND compressed ${doc_dir}/changelog.gz)
install(FILES ${doc_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(pages textcrypt-cli)
if(TARGET textcrypt)
  list(APPEND pages textcrypt)
endif()
foreach(page ${pages})
  # The configured page stays in the build folder for the checks of it.
  configure_file(man/${page}.1.in ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1 @ONLY)
  textcrypt_gzip(${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1 ${doc_dir}/man1/${page}.1)
  list(APPEND compressed ${doc_dir}/man1/${page}.1.gz)
  install(FILES ${doc_dir}/man1/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(textcrypt_documentation ALL DEPENDS ${compressed})

install(FILES bash-completion/textcrypt-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
