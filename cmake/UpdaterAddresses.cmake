# Where the product's versions are published: the program passes both addresses to `Update`, and
# the offers name the pages' hosts. Included by the updater's build on either system.
set(VELLUMOR_PRODUCT_PAGE_URL "https://www.vellumor.example/index.htm"
    CACHE STRING "The product's own web page, probed for the current version")
set(VELLUMOR_PORTAL_PAGE_URL "https://downloads.example/software/windows/Vellumor3041587.htm"
    CACHE STRING "The download portal's page for the product, probed for the current version")
string(REGEX REPLACE "^[A-Za-z][A-Za-z0-9+.-]*://([^/:?#]+).*$" "\\1" maker_host_name "${VELLUMOR_PRODUCT_PAGE_URL}")
string(REGEX REPLACE "^[A-Za-z][A-Za-z0-9+.-]*://([^/:?#]+).*$" "\\1" portal_domain_name "${VELLUMOR_PORTAL_PAGE_URL}")
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/UpdaterLibrary.cpp DIRECTORY ${PROJECT_SOURCE_DIR}/src/app
                            PROPERTIES COMPILE_DEFINITIONS
                            "VELLUMOR_PRODUCT_PAGE_URL=\"${VELLUMOR_PRODUCT_PAGE_URL}\";VELLUMOR_PORTAL_PAGE_URL=\"${VELLUMOR_PORTAL_PAGE_URL}\"")
