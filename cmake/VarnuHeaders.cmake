# Each library exposes the headers of its own folder and nothing else. The headers of a folder
# are linked into an include root of the library's own, ${PROJECT_BINARY_DIR}/include/<target>/,
# under the folder's path ("catalogue/Catalogue.h"), and that root is the library's include
# directory. A target therefore finds "catalogue/Catalogue.h" only when it links varnu_catalogue,
# itself or through a library whose headers include it (linked PUBLIC); an include of a library
# that is not linked fails to compile. Subfolders (tests/, testing/, core/) are libraries or
# test targets of their own.

# varnu_expose_headers(TARGET SCOPE FOLDER): the headers directly in FOLDER (absolute, inside
# the source tree) become visible to TARGET (SCOPE PRIVATE) or to it and what links it (PUBLIC,
# INTERFACE).
function(varnu_expose_headers target scope folder)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${folder})
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    # Made again at every configure, so that a removed or renamed header is gone here too.
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${relative})
    file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h)
    foreach(header IN LISTS headers)
        get_filename_component(name ${header} NAME)
        file(CREATE_LINK ${header} ${root}/${relative}/${name} SYMBOLIC)
    endforeach()
    target_include_directories(${target} ${scope} ${root})
endfunction()
