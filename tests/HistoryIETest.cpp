// Internet Explorer traces: the URL cache collectors and deletes, typed URLs.
