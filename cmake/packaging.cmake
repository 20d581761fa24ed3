# Debian package (make package): everything installed, that is the two
# programs and their manual pages, plus the README and the worked example
# under share/doc/pedscreen.

# Documents that may not be in the tree yet are picked up when present at
# configure time.
if(EXISTS ${CMAKE_SOURCE_DIR}/README.md)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
foreach(example family.ped family.out)
  if(EXISTS ${CMAKE_SOURCE_DIR}/examples/${example})
    install(FILES examples/${example} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pedscreen)
set(CPACK_PACKAGE_VENDOR "pedscreen developers")
set(CPACK_PACKAGE_CONTACT "pedscreen developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "screen a pedigree for structure errors and within-family outliers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "pedscreen reads a pedigree file with one quantitative trait, checks the\n\
pedigree structure, forms every pair of full sibs and flags within-family\n\
outliers, writing the report outlier.out. pedscreen-plot draws that report\n\
as an SVG picture.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
