// What #picture shows: the coefficients, the picture as opened, the difference from it, or which
// coefficients the last keep-the-largest kept. The status line and the keys work in every view.
'use strict';

const VIEWS = ['coefficients', 'opened', 'difference', 'kept'];

const viewIndex = () => Math.max(0, VIEWS.indexOf($('view').value));

function showViewNote() {
  $('view-note').textContent = $('view').value === 'kept' && !call.keptViewShows()
    ? 'Nothing to show: no keep-the-largest was made on the passes now in effect.'
    : '';
}

$('view').addEventListener('change', refresh);
