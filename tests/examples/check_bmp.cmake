# check_bmp(<file> <width> <height>): fails unless <file> is an uncompressed 24-bit BMP of
# that size whose header agrees with the file's length, and whose pixels are not all one
# colour (a window that was never drawn into).

# The little-endian unsigned number of <bytes> bytes at <offset> of a hex dump.
function(bmp_number hex offset bytes out)
  set(value 0)
  math(EXPR last "${bytes} - 1")
  foreach(i RANGE ${last})
    math(EXPR start "2 * (${offset} + ${i})")
    string(SUBSTRING "${hex}" ${start} 2 byte)
    math(EXPR value "${value} + (0x${byte} << (8 * ${i}))")
  endforeach()
  set(${out} ${value} PARENT_SCOPE)
endfunction()

function(check_bmp file width height)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} was not written")
  endif()
  file(SIZE "${file}" file_size)
  if(file_size LESS 54)
    message(FATAL_ERROR "${file} is too short for a BMP header (${file_size} bytes)")
  endif()
  file(READ "${file}" header LIMIT 54 HEX)
  string(SUBSTRING "${header}" 0 4 magic)
  bmp_number("${header}" 2 4 stated_size)
  bmp_number("${header}" 10 4 pixel_offset)
  bmp_number("${header}" 14 4 info_size)
  bmp_number("${header}" 18 4 bmp_width)
  bmp_number("${header}" 22 4 bmp_height)
  bmp_number("${header}" 26 2 planes)
  bmp_number("${header}" 28 2 bits)
  bmp_number("${header}" 30 4 compression)
  if(bmp_height GREATER_EQUAL 2147483648) # a negative height: rows stored top down
    math(EXPR bmp_height "4294967296 - ${bmp_height}")
  endif()
  math(EXPR row_bytes "(${width} * 3 + 3) / 4 * 4")
  math(EXPR expected_size "${pixel_offset} + ${row_bytes} * ${height}")
  string(CONCAT found "magic ${magic}, stated size ${stated_size} of ${file_size}, "
                "header ${info_size}, ${bmp_width} x ${bmp_height}, ${planes} plane(s), "
                "${bits} bits, compression ${compression}, pixels at ${pixel_offset}")
  if(NOT magic STREQUAL "424d" OR NOT stated_size EQUAL file_size OR info_size LESS 40
     OR NOT bmp_width EQUAL width OR NOT bmp_height EQUAL height OR NOT planes EQUAL 1
     OR NOT bits EQUAL 24 OR NOT compression EQUAL 0 OR NOT expected_size EQUAL file_size)
    message(FATAL_ERROR "${file} is not a 24-bit ${width} x ${height} BMP: ${found}")
  endif()

  # Remove every row that matches a row of the first pixel's colour: nothing may be left.
  file(READ "${file}" pixels OFFSET ${pixel_offset} HEX)
  string(SUBSTRING "${pixels}" 0 6 first_pixel)
  string(REPEAT "${first_pixel}" ${width} uniform_row)
  math(EXPR padding "${row_bytes} - 3 * ${width}")
  string(REPEAT "00" ${padding} row_padding)
  string(REPLACE "${uniform_row}${row_padding}" "" differing "${pixels}")
  if(differing STREQUAL "")
    message(FATAL_ERROR "${file} holds nothing but colour ${first_pixel} (B G R)")
  endif()
endfunction()
